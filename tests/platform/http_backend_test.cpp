#include "platform/http_backend.h"

#include <gtest/gtest.h>

#include <thread>

#include "support/test_http_server.h"

using testing_support::HttpReply;
using testing_support::TestHttpServer;

namespace {

HttpTransferResult Get(HttpBackend& backend, const std::string& url, std::string* body = nullptr,
                       HttpTimeouts timeouts = {}) {
  HttpTransfer transfer;
  transfer.url = url;
  transfer.timeouts = timeouts;
  return backend.Perform(transfer, [body](std::string_view piece, const HttpResponseHead&) {
    if (body) body->append(piece);
    return true;
  });
}

TEST(HttpBackend, CancelAllEndsATransferUnderWayAndRefusesLaterOnes) {
  TestHttpServer server;
  HttpReply silent;
  silent.stall = true;
  server.Serve("/stall", silent);
  HttpBackend backend;
  HttpTransferResult stalled;
  std::thread caller([&] {
    stalled = Get(backend, server.Url("/stall"), nullptr, {18000, 18000, 18000});
  });
  ASSERT_TRUE(server.WaitForRequests(1));
  backend.CancelAll();
  caller.join();
  EXPECT_FALSE(stalled.completed);
  EXPECT_EQ(stalled.error, "cancelled");
  const HttpTransferResult later = Get(backend, server.Url("/stall"));
  EXPECT_FALSE(later.completed);
  EXPECT_EQ(server.RequestCount(), 1u);
}

TEST(HttpBackend, TheReceiveLimitCountsFromTheLastByteNotTheStart) {
  // 100 bytes per second: the whole answer takes about two seconds, with a
  // byte every few milliseconds.
  TestHttpServer server({.bytesPerSecond = 100});
  server.Serve("/trickle", HttpReply::Ok(std::string(120, 't')));
  HttpBackend backend;
  std::string body;
  const HttpTransferResult result = Get(backend, server.Url("/trickle"), &body, {1000, 500, 500});
  EXPECT_TRUE(result.completed) << result.error;
  EXPECT_EQ(body, std::string(120, 't'));
}

TEST(HttpBackend, ConsecutiveRequestsReuseOneConnection) {
  TestHttpServer server;
  server.Serve("/a", HttpReply::Ok("a"));
  HttpBackend backend;
  for (int i = 0; i < 5; ++i) EXPECT_TRUE(Get(backend, server.Url("/a")).completed);
  EXPECT_EQ(server.ConnectionCount(), 1);
  // Two backends share nothing.
  HttpBackend other;
  EXPECT_TRUE(Get(other, server.Url("/a")).completed);
  EXPECT_EQ(server.ConnectionCount(), 2);
}

TEST(HttpBackend, GbkTextAndBlanksInTheAddressTravelPercentEncoded) {
  TestHttpServer server;
  server.Serve("/视频 1.ts", HttpReply::Ok("never"));
  HttpBackend backend;
  Get(backend, server.Url("/视频 1.ts?a=b c"));
  // 视频 is CA D3 C6 B5 in GBK.
  EXPECT_EQ(server.Requests().at(0).target, "/%CA%D3%C6%B5%201.ts?a=b%20c");
}

TEST(HttpBackend, BodyPiecesOfTheRequestedSizeAndTheFinalHead) {
  TestHttpServer server;
  HttpReply reply = HttpReply::Ok(std::string(1300, 'p')).Header("X-Tag", "t");
  reply.framing = HttpReply::Framing::kChunked;
  reply.chunkBytes = 333;
  server.Serve("/p", reply);
  server.Serve("/r", HttpReply::Redirect(301, "/p"));
  HttpBackend backend;
  HttpTransfer transfer;
  transfer.url = server.Url("/r");
  transfer.chunkBytes = 512;
  std::vector<size_t> pieces;
  const HttpTransferResult result =
      backend.Perform(transfer, [&](std::string_view piece, const HttpResponseHead& head) {
        EXPECT_EQ(head.status, 200);
        pieces.push_back(piece.size());
        return true;
      });
  EXPECT_TRUE(result.completed);
  EXPECT_EQ(pieces, (std::vector<size_t>{512, 512, 276}));
  EXPECT_EQ(result.rawHeaders, "HTTP/1.1 200 OK\r\nX-Tag: t\r\nTransfer-Encoding: chunked\r\n\r\n");
}

}  // namespace
