#include "platform/plain_http_read.h"

#include <gtest/gtest.h>

#include "support/test_http_server.h"

using testing_support::HttpReply;
using testing_support::TestHttpServer;

namespace {

TEST(PlainHttpRead, WholeBodyOfAGoodAnswerNothingOtherwise) {
  TestHttpServer server;
  server.Serve("/list.m3u8", HttpReply::Ok("#EXTM3U\n"));
  server.Serve("/empty", HttpReply::Ok(""));
  server.Serve("/moved", HttpReply::Redirect(302, "/list.m3u8"));
  server.Serve("/missing", HttpReply::Ok("no such playlist", 404));
  server.Serve("/broken", HttpReply::Ok("oops", 500));
  HttpReply cut = HttpReply::Ok("#EXTM3U\n#EXTINF:1,\n");
  cut.closeAfterBodyBytes = 5;
  server.Serve("/cut", cut);
  HttpBackend backend;
  const std::pair<std::string, std::optional<std::string>> cases[] = {
      {"/list.m3u8", "#EXTM3U\n"}, {"/empty", ""},
      {"/moved", "#EXTM3U\n"},     {"/missing", std::nullopt},
      {"/broken", std::nullopt},   {"/cut", std::nullopt},
  };
  for (const auto& [path, expected] : cases)
    EXPECT_EQ(PlainHttpRead(backend, server.Url(path)), expected) << path;
  EXPECT_EQ(PlainHttpRead(backend, "http://127.0.0.1:1/x"), std::nullopt);
  EXPECT_EQ(PlainHttpRead(backend, "file:///etc/hostname"), std::nullopt);
}

TEST(PlainHttpRead, RefusesAnUntrustedCertificate) {
  TestHttpServer tls({.tls = true});
  tls.Serve("/list.m3u8", HttpReply::Ok("#EXTM3U\n"));
  HttpBackend backend;
  EXPECT_EQ(PlainHttpRead(backend, tls.Url("/list.m3u8")), std::nullopt);
}

}  // namespace
