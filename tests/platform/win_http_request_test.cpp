#include "platform/win_http_request.h"

#include <gtest/gtest.h>

#include "support/test_http_server.h"

using testing_support::HttpReply;
using testing_support::TestHttpServer;

namespace {

TEST(WinHttpRequest, HeadersGoWithTheNextSendOnly) {
  TestHttpServer server;
  server.Serve("/x", HttpReply::Ok("x"));
  HttpBackend backend;
  WinHttpRequest request(backend);
  // Set before Open, as the routine sets the proxy credentials.
  EXPECT_TRUE(request.SetRequestHeader("X-Early", "1"));
  EXPECT_TRUE(request.Open("GET", server.Url("/x"), false));
  EXPECT_TRUE(request.SetRequestHeader("X-Late", "2"));
  EXPECT_TRUE(request.SetRequestHeader("x-early", "3"));
  EXPECT_TRUE(request.Send(""));
  EXPECT_EQ(request.Status(), 200);
  EXPECT_EQ(server.Requests().at(0).headerLines,
            (std::vector<std::string>{"Host: " + server.hostAndPort(), "X-Early: 3", "X-Late: 2"}));
  EXPECT_TRUE(request.Open("GET", server.Url("/x"), false));
  EXPECT_TRUE(request.Send(""));
  EXPECT_EQ(server.Requests().at(1).headerLines.size(), 1u);
}

TEST(WinHttpRequest, RefusedCallsChangeNothing) {
  TestHttpServer server;
  server.Serve("/x", HttpReply::Ok("x"));
  HttpBackend backend;
  WinHttpRequest request(backend);
  EXPECT_FALSE(request.Send(""));  // not opened
  EXPECT_FALSE(request.Open("GET", server.Url("/x"), true));
  EXPECT_FALSE(request.Open("", server.Url("/x"), false));
  EXPECT_FALSE(request.PutOption(99, 1));
  EXPECT_FALSE(request.SetProxy(7, "h:1"));
  EXPECT_FALSE(request.SetTimeouts(0, -1, 0, 0));
  // A header that would smuggle a second line, or has no name, is refused.
  EXPECT_FALSE(request.SetRequestHeader("", ""));
  EXPECT_FALSE(request.SetRequestHeader("X-A", "1\r\nX-Injected: 1"));
  EXPECT_FALSE(request.SetRequestHeader("X-A\r\nX-B", "1"));
  EXPECT_FALSE(request.SetRequestHeader("X:A", "1"));
  EXPECT_TRUE(request.Open("GET", server.Url("/x"), false));
  EXPECT_TRUE(request.Send(""));
  EXPECT_EQ(server.Requests().at(0).headerLines.size(), 1u);
  EXPECT_EQ(request.ResponseBody(), "x");
}

}  // namespace
