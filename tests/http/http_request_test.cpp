#include "http/http_request.h"

#include <gtest/gtest.h>

#include "support/gbk_text.h"
#include "support/test_http_server.h"

using testing_support::HttpReply;
using testing_support::TestHttpServer;

namespace {

using Lines = std::vector<std::string>;

const std::string kDefaultAccept =
    "Accept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, application/x-shockwave-flash, "
    "application/vnd.ms-excel, application/vnd.ms-powerpoint, application/msword, */*";
const std::string kAgent = "User-Agent: Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)";

TEST(HttpRequest, OmittedArgumentsSendTheDefaultLinesInOrder) {
  TestHttpServer server;
  server.Serve("/list.m3u8", HttpReply::Ok("#EXTM3U\n//cdn/a.ts\n"));
  HttpBackend backend;
  const std::string url = server.Url("/list.m3u8?k=1");
  EXPECT_EQ(HttpRequest(backend, url), "#EXTM3U\n//cdn/a.ts\n");
  const auto requests = server.Requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].method, "GET");
  EXPECT_EQ(requests[0].target, "/list.m3u8?k=1");
  EXPECT_EQ(requests[0].body, "");
  EXPECT_EQ(requests[0].headerLines, (Lines{"Host: " + server.hostAndPort(), kDefaultAccept,
                                            "Referer: " + url, "Accept-Language: zh-cn", kAgent}));
}

TEST(HttpRequest, CompletesTheHeaderTextIgnoringLetterCase) {
  const std::string url = "http://h/p";
  const std::pair<Text, Text> cases[] = {
      {"", kDefaultAccept + "\r\nReferer: http://h/p\r\nAccept-Language: zh-cn\r\n"},
      {"accept: text/html\r\n",
       "accept: text/html\r\nReferer: http://h/p\r\nAccept-Language: zh-cn\r\n"},
      {"REFERER: x\r\nACCEPT-LANGUAGE: en\r\n",
       "REFERER: x\r\nACCEPT-LANGUAGE: en\r\n" + kDefaultAccept + "\r\n"},
      // A last line without CR LF gets the first default line glued to it.
      {"X-A: 1",
       "X-A: 1" + kDefaultAccept + "\r\nReferer: http://h/p\r\nAccept-Language: zh-cn\r\n"},
  };
  for (const auto& [given, completed] : cases) {
    Text headers = given;
    CompleteWinInetHeaders(headers, url);
    EXPECT_TEXT_EQ(completed, headers);
  }
}

TEST(HttpRequest, SuppliedHeadersAndPostDataAreSentAsTheCompletedText) {
  TestHttpServer server;
  server.Serve("/form", HttpReply::Ok("done"));
  HttpBackend backend;
  const std::string url = server.Url("/form");
  HttpRequestOptions options;
  options.method = "post";
  options.headers = "accept: text/html\r\nX-Tag: 值\r\n";
  options.postData = "a=1&b=2";
  EXPECT_EQ(HttpRequest(backend, url, options), "done");
  EXPECT_TEXT_EQ("post", options.method);
  const Text expectedHeaders =
      "accept: text/html\r\nX-Tag: 值\r\nReferer: " + url +
      "\r\nAccept-Language: zh-cn\r\nContent-Type: application/x-www-form-urlencoded\r\n"
      "Content-Length: 7\r\n";
  EXPECT_TEXT_EQ(expectedHeaders, options.headers);
  const auto requests = server.Requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].method, "post");
  EXPECT_EQ(requests[0].body, "a=1&b=2");
  EXPECT_EQ(
      requests[0].headerLines,
      (Lines{"Host: " + server.hostAndPort(), "accept: text/html", "X-Tag: 值", "Referer: " + url,
             "Accept-Language: zh-cn", "Content-Type: application/x-www-form-urlencoded",
             "Content-Length: 7", kAgent}));
}

TEST(HttpRequest, MethodOtherThanPostBecomesGet) {
  TestHttpServer server;
  server.Serve("/m", HttpReply::Ok("m"));
  HttpBackend backend;
  const std::pair<Text, Text> cases[] = {
      {"", "GET"}, {"PUT", "GET"}, {"HEAD", "GET"}, {"get", "GET"}, {"Post", "Post"}};
  for (const auto& [given, sent] : cases) {
    HttpRequestOptions options;
    options.method = given;
    EXPECT_EQ(HttpRequest(backend, server.Url("/m"), options), "m") << given;
    EXPECT_TEXT_EQ(sent, options.method);
    EXPECT_EQ(server.Requests().back().method, sent);
  }
  // A POST without data adds neither Content-Type nor Content-Length to the
  // text; the wire still says the body is empty.
  const auto last = server.Requests().back();
  EXPECT_EQ(last.Header("Content-Type"), std::nullopt);
  EXPECT_EQ(last.Header("Content-Length"), "0");
}

TEST(HttpRequest, BodyAsReceivedUpToItsFirstZeroByteWhateverTheStatus) {
  TestHttpServer server;
  server.Serve("/zero", HttpReply::Ok(std::string("abc\0def", 7)));
  server.Serve("/missing", HttpReply::Ok("<h1>Not here</h1>", 404));
  HttpReply chunked = HttpReply::Ok("0123456789abcdef");
  chunked.framing = HttpReply::Framing::kChunked;
  chunked.chunkBytes = 3;
  server.Serve("/chunked", chunked);
  HttpBackend backend;
  EXPECT_EQ(HttpRequest(backend, server.Url("/zero")), "abc");
  EXPECT_EQ(HttpRequest(backend, server.Url("/missing")), "<h1>Not here</h1>");
  EXPECT_EQ(HttpRequest(backend, server.Url("/chunked")), "0123456789abcdef");
}

TEST(HttpRequest, RawResponseHeadersOnlyWhenSupplied) {
  TestHttpServer server;
  server.Serve("/h", HttpReply::Ok("ok").Header("X-A", "1"));
  HttpBackend backend;
  HttpRequestOptions options;
  options.responseHeaders = "";
  HttpRequest(backend, server.Url("/h"), options);
  EXPECT_EQ(options.responseHeaders, "HTTP/1.1 200 OK\r\nX-A: 1\r\nContent-Length: 2\r\n\r\n");
  HttpRequestOptions without;
  HttpRequest(backend, server.Url("/h"), without);
  EXPECT_EQ(without.responseHeaders, std::nullopt);
}

TEST(HttpRequest, FollowsRedirectsWithTheCookiesTheySet) {
  TestHttpServer server;
  server.Serve("/old", HttpReply::Redirect(302, "/new").Header("Set-Cookie", "s=1; path=/"));
  server.Serve("/new", HttpReply::Ok("moved here"));
  HttpBackend backend;
  EXPECT_EQ(HttpRequest(backend, server.Url("/old")), "moved here");
  const auto requests = server.RequestsTo("/new");
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].Header("Cookie"), "s=1");
  // Nothing survives the call: the next one starts without the cookie.
  HttpRequest(backend, server.Url("/new"));
  EXPECT_EQ(server.RequestsTo("/new").back().Header("Cookie"), std::nullopt);
}

TEST(HttpRequest, GoesThroughASuppliedProxy) {
  TestHttpServer proxy;
  proxy.Serve("/list.m3u8", HttpReply::Ok("via proxy"));
  HttpBackend backend;
  HttpRequestOptions options;
  options.proxy = proxy.hostAndPort();
  // The host does not exist: only the proxy can answer.
  EXPECT_EQ(HttpRequest(backend, "http://video.invalid:8080/list.m3u8", options), "via proxy");
  const auto requests = proxy.Requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].target, "http://video.invalid:8080/list.m3u8");
  EXPECT_EQ(requests[0].Header("Host"), "video.invalid:8080");
}

TEST(HttpRequest, FailuresGiveWhatArrivedOftenNothing) {
  TestHttpServer server;
  HttpReply stalled = HttpReply::Ok("abcdef");
  stalled.stallAfterBodyBytes = 3;
  server.Serve("/stall-body", stalled);
  HttpReply silent;
  silent.stall = true;
  server.Serve("/stall", silent);
  HttpReply cut = HttpReply::Ok("0123456789");
  cut.closeAfterBodyBytes = 4;
  server.Serve("/cut", cut);
  HttpBackend backend({.timeoutCeilingMs = 300});
  EXPECT_EQ(HttpRequest(backend, server.Url("/stall-body")), "abc");
  EXPECT_EQ(HttpRequest(backend, server.Url("/stall")), "");
  EXPECT_EQ(HttpRequest(backend, server.Url("/cut")), "0123");
  // An address that cannot be fetched by this routine at all.
  HttpRequestOptions options;
  options.responseHeaders = "";
  EXPECT_EQ(HttpRequest(backend, "https://127.0.0.1:1/x", options), "");
  EXPECT_EQ(options.responseHeaders, "");
  server.ReleaseStalled();
}

}  // namespace
