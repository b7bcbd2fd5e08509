#include "http/win_http_request_call.h"

#include <gtest/gtest.h>

#include <thread>

#include "support/gbk_text.h"
#include "support/test_http_server.h"

using testing_support::HttpReply;
using testing_support::TestHttpServer;

namespace {

using Lines = std::vector<std::string>;

const std::string kAgent = "User-Agent: Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)";

TEST(WinHttpRequestCall, OmittedOptionsSendTheDefaultLinesAndGiveBodyStatusAndHeaders) {
  TestHttpServer server;
  server.Serve("/seg/1.ts", HttpReply::Ok(std::string("\x47\x00\x11\xFF", 4)).Header("X-A", "1"));
  HttpBackend backend;
  const std::string url = server.Url("/seg/1.ts");
  const WinHttpResponse response = WinHttpRequestCall(backend, url, 0);
  EXPECT_EQ(response.body, std::string("\x47\x00\x11\xFF", 4));
  EXPECT_EQ(response.status, 200);
  EXPECT_EQ(response.responseHeaders, "X-A: 1\r\nContent-Length: 4\r\n\r\n");
  EXPECT_EQ(response.returnedCookies, "");
  const auto requests = server.Requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].method, "GET");
  EXPECT_EQ(requests[0].headerLines, (Lines{"Host: " + server.hostAndPort(), "Accept: */*",
                                            "Referer: " + url, "Accept-Language: zh-cn", kAgent}));
}

TEST(WinHttpRequestCall, CompletesTheHeaderTextWithExactLetterCase) {
  const std::string url = "http://h/p";
  const std::string defaults = "Referer: http://h/p\r\nAccept-Language: zh-cn\r\n" + kAgent;
  struct Case {
    Text given;
    int method;
    Text completed;
  } const cases[] = {
      {"", 0, "Accept: */*\r\n" + defaults},
      {"accept: text/html", 0, "accept: text/html\r\nAccept: */*\r\n" + defaults},
      {"Accept: a/b\r\nReferer: r\r\nAccept-Language: en\r\nUser-Agent: u", 0,
       "Accept: a/b\r\nReferer: r\r\nAccept-Language: en\r\nUser-Agent: u"},
      {"", 1, "Accept: */*\r\n" + defaults + "\r\nContent-Type: application/x-www-form-urlencoded"},
      {"content-type: text/plain", 1, "Content-Type: text/plain\r\nAccept: */*\r\n" + defaults},
      // Only a POST rewrites "content-type".
      {"content-type: text/plain", 3, "content-type: text/plain\r\nAccept: */*\r\n" + defaults},
  };
  for (const Case& c : cases) {
    Text headers = c.given;
    CompleteWinHttpHeaders(headers, url, c.method);
    EXPECT_TEXT_EQ(c.completed, headers);
  }
}

TEST(WinHttpRequestCall, MethodIndexSelectsTheVerb) {
  TestHttpServer server;
  server.Serve("/m", HttpReply::Ok("body"));
  HttpBackend backend;
  const std::pair<int, const char*> cases[] = {{0, "GET"},   {1, "POST"},    {2, "HEAD"},
                                               {3, "PUT"},   {4, "OPTIONS"}, {5, "DELETE"},
                                               {6, "TRACE"}, {9, "GET"},     {-1, "GET"}};
  for (const auto& [method, verb] : cases) {
    const WinHttpResponse response = WinHttpRequestCall(backend, server.Url("/m"), method);
    EXPECT_EQ(server.Requests().back().method, verb) << method;
    EXPECT_EQ(response.status, 200) << method;
    EXPECT_EQ(response.body, method == 2 ? "" : "body") << method;
  }
}

TEST(WinHttpRequestCall, PostSendsItsBodyWithTheCompletedHeaders) {
  TestHttpServer server;
  server.Serve("/api", HttpReply::Ok("{}", 201));
  HttpBackend backend;
  const std::string url = server.Url("/api");
  WinHttpRequestOptions options;
  options.method = 1;
  options.headers = "content-type: text/plain\r\nX-Token: 令牌";
  options.postText = "text body";
  options.postBytes = std::string("\x01\x00\x02", 3);
  const WinHttpResponse response = WinHttpRequestCall(backend, url, options);
  EXPECT_EQ(response.status, 201);
  EXPECT_TEXT_EQ("Content-Type: text/plain\r\nX-Token: 令牌\r\nAccept: */*\r\nReferer: " + url +
                     "\r\nAccept-Language: zh-cn\r\n" + kAgent,
                 options.headers);
  const auto request = server.Requests().at(0);
  EXPECT_EQ(request.body, std::string("\x01\x00\x02", 3));  // postBytes win over postText
  EXPECT_EQ(request.headerLines, (Lines{"Host: " + server.hostAndPort(), "Content-Type: text/plain",
                                        "X-Token: 令牌", "Accept: */*", "Referer: " + url,
                                        "Accept-Language: zh-cn", kAgent, "Content-Length: 3"}));

  // A second line of a name already set replaces its value in place.
  WinHttpRequestOptions lower;
  lower.headers = "accept: text/html";
  WinHttpRequestCall(backend, url, lower);
  const auto again = server.Requests().back();
  EXPECT_EQ(again.headerLines.at(1), "accept: */*");
  EXPECT_EQ(again.body, "");
}

TEST(WinHttpRequestCall, CookiesAreSentCollectedAndMerged) {
  TestHttpServer server;
  server.Serve("/c", HttpReply::Ok("c")
                         .Header("Set-Cookie", "b=2; path=/")
                         .Header("set-cookie", "k=3")
                         .Header("Set-Cookie", "a=9"));
  HttpBackend backend;
  const std::string url = server.Url("/c");

  WinHttpResponse omitted = WinHttpRequestCall(backend, url);
  EXPECT_EQ(server.Requests().back().Header("Cookie"), std::nullopt);
  EXPECT_TEXT_EQ("b=2; a=9", omitted.returnedCookies);

  WinHttpRequestOptions merged;
  merged.cookies = "a=1; z=26";
  const WinHttpResponse m = WinHttpRequestCall(backend, url, merged);
  EXPECT_EQ(server.Requests().back().Header("Cookie"), "a=1; z=26");
  EXPECT_TEXT_EQ("b=2; a=9; z=26", m.returnedCookies);
  EXPECT_TEXT_EQ("b=2; a=9; z=26", *merged.cookies);

  WinHttpRequestOptions unmerged;
  unmerged.cookies = "a=1";
  unmerged.mergeCookies = false;
  const WinHttpResponse u = WinHttpRequestCall(backend, url, unmerged);
  EXPECT_TEXT_EQ("b=2; a=9", u.returnedCookies);
  EXPECT_TEXT_EQ("a=1", *unmerged.cookies);

  // An empty text is still a supplied one: an empty Cookie header, merging on.
  WinHttpRequestOptions empty;
  empty.cookies = "";
  const WinHttpResponse e = WinHttpRequestCall(backend, url, empty);
  EXPECT_EQ(server.Requests().back().Header("Cookie"), "");
  EXPECT_TEXT_EQ("b=2; a=9", e.returnedCookies);
  EXPECT_TEXT_EQ("b=2; a=9", *empty.cookies);
}

TEST(WinHttpRequestCall, RedirectsFollowedUnlessNoRedirect) {
  TestHttpServer server;
  server.Serve("/old", HttpReply::Redirect(302, "/new").Header("Set-Cookie", "s=1"));
  server.Serve("/new", HttpReply::Ok("new place"));
  HttpBackend backend;
  const WinHttpResponse followed = WinHttpRequestCall(backend, server.Url("/old"));
  EXPECT_EQ(followed.status, 200);
  EXPECT_EQ(followed.body, "new place");
  EXPECT_EQ(server.RequestsTo("/new").at(0).Header("Cookie"), "s=1");

  WinHttpRequestOptions options;
  options.noRedirect = true;
  const WinHttpResponse stopped = WinHttpRequestCall(backend, server.Url("/old"), options);
  EXPECT_EQ(stopped.status, 302);
  EXPECT_NE(stopped.responseHeaders.find("Location: /new\r\n"), std::string::npos);
  EXPECT_TEXT_EQ("s=1", stopped.returnedCookies);
  EXPECT_EQ(server.RequestsTo("/new").size(), 1u);
}

TEST(WinHttpRequestCall, ErrorPagesAndCompressedBodiesComeAsReceived) {
  TestHttpServer server;
  server.Serve("/gone", HttpReply::Ok("<p>gone</p>", 404));
  server.Serve("/gz", HttpReply::Gzipped("plain text"));
  HttpBackend backend;
  const WinHttpResponse gone = WinHttpRequestCall(backend, server.Url("/gone"));
  EXPECT_EQ(gone.status, 404);
  EXPECT_EQ(gone.body, "<p>gone</p>");
  const WinHttpResponse gz = WinHttpRequestCall(backend, server.Url("/gz"));
  EXPECT_EQ(gz.body, testing_support::GzipBytes("plain text"));
}

TEST(WinHttpRequestCall, FailedRequestsGiveEmptyBodyHeadersAndStatusZero) {
  TestHttpServer server;
  HttpReply cut = HttpReply::Ok(std::string(5000, 'x'));
  cut.closeAfterBodyBytes = 1000;
  server.Serve("/cut", cut);
  HttpReply cutChunked = cut;
  cutChunked.framing = HttpReply::Framing::kChunked;
  cutChunked.chunkBytes = 600;
  server.Serve("/cut-chunked", cutChunked);
  HttpReply silent;
  silent.stall = true;
  server.Serve("/stall", silent);
  int closedPort;
  {
    TestHttpServer gone;
    closedPort = gone.port();
  }
  HttpBackend backend;
  const std::string cases[] = {
      server.Url("/cut"),   server.Url("/cut-chunked"),
      server.Url("/stall"), "http://127.0.0.1:" + std::to_string(closedPort) + "/x",
      "ftp://127.0.0.1/x",  "not a url"};
  for (const std::string& url : cases) {
    WinHttpRequestOptions options;
    options.timeoutSeconds = 1;
    options.cookies = "a=1";
    const WinHttpResponse response = WinHttpRequestCall(backend, url, options);
    EXPECT_EQ(response.status, 0) << url;
    EXPECT_EQ(response.body, "") << url;
    EXPECT_EQ(response.responseHeaders, "") << url;
    EXPECT_TEXT_EQ("a=1", response.returnedCookies);
  }
  server.ReleaseStalled();
}

TEST(WinHttpRequestCall, TimeoutRule) {
  TestHttpServer server;
  HttpReply slow = HttpReply::Ok("late");
  slow.delay = std::chrono::milliseconds(1500);
  server.Serve("/slow", slow);
  HttpBackend backend;
  // One second is too short for the answer, the 15 s default long enough.
  WinHttpRequestOptions oneSecond;
  oneSecond.timeoutSeconds = 1;
  EXPECT_EQ(WinHttpRequestCall(backend, server.Url("/slow"), oneSecond).status, 0);
  WinHttpRequestOptions zero;
  zero.timeoutSeconds = 0;
  EXPECT_EQ(WinHttpRequestCall(backend, server.Url("/slow"), zero).status, 200);
  // -1 keeps the limits the request object already has.
  WinHttpRequest object(backend);
  object.SetTimeouts(0, 1000, 1000, 1000);
  WinHttpRequestOptions keep;
  keep.timeoutSeconds = -1;
  keep.requestObject = &object;
  EXPECT_EQ(WinHttpRequestCall(backend, server.Url("/slow"), keep).status, 0);
}

TEST(WinHttpRequestCall, CertificateErrorsAreIgnored) {
  TestHttpServer tls({.tls = true});
  tls.Serve("/seg.ts", HttpReply::Ok("secure bytes"));
  HttpBackend backend;
  const WinHttpResponse response = WinHttpRequestCall(backend, tls.Url("/seg.ts"));
  EXPECT_EQ(response.status, 200);
  EXPECT_EQ(response.body, "secure bytes");
}

TEST(WinHttpRequestCall, ProxyWithBasicAuthorization) {
  TestHttpServer proxy;
  proxy.Serve("/seg.ts", HttpReply::Ok("proxied"));
  HttpBackend backend;
  WinHttpRequestOptions options;
  options.proxy = proxy.hostAndPort();
  options.proxyUser = "user";
  options.proxyPassword = "p@ss";
  const std::string url = "http://video.invalid/seg.ts";
  EXPECT_EQ(WinHttpRequestCall(backend, url, options).body, "proxied");
  const auto request = proxy.Requests().at(0);
  EXPECT_EQ(request.target, url);
  EXPECT_EQ(request.headerLines, (Lines{"Host: video.invalid", "Proxy-Connection: Keep-Alive",
                                        "Proxy-Authorization: Basic dXNlcjpwQHNz", "Accept: */*",
                                        "Referer: " + url, "Accept-Language: zh-cn", kAgent}));

  WinHttpRequestOptions noAuth = options;
  noAuth.headers.clear();
  noAuth.proxyAuthMode = 2;
  WinHttpRequestCall(backend, url, noAuth);
  EXPECT_EQ(proxy.Requests().back().Header("Proxy-Authorization"), std::nullopt);
}

TEST(WinHttpRequestCall, ProxyCredentialsOfATunnelGoToTheProxyOnly) {
  TestHttpServer proxy;
  TestHttpServer tls({.tls = true});
  tls.Serve("/seg.ts", HttpReply::Ok("through the tunnel"));
  HttpBackend backend;
  WinHttpRequestOptions options;
  options.proxy = proxy.hostAndPort();
  options.proxyUser = "user";
  options.proxyPassword = "pw";
  EXPECT_EQ(WinHttpRequestCall(backend, tls.Url("/seg.ts"), options).body, "through the tunnel");
  const auto connect = proxy.Requests().at(0);
  EXPECT_EQ(connect.method, "CONNECT");
  EXPECT_EQ(connect.target, tls.hostAndPort());
  EXPECT_EQ(connect.Header("Proxy-Authorization"), "Basic dXNlcjpwdw==");
  EXPECT_EQ(tls.Requests().at(0).Header("Proxy-Authorization"), std::nullopt);
}

TEST(WinHttpRequestCall, ASuppliedRequestObjectKeepsItsCookies) {
  TestHttpServer server;
  server.Serve("/login", HttpReply::Ok("in").Header("Set-Cookie", "session=42; path=/"));
  server.Serve("/data", HttpReply::Ok("data"));
  HttpBackend backend;
  WinHttpRequest object(backend);
  WinHttpRequestOptions login;
  login.requestObject = &object;
  WinHttpRequestCall(backend, server.Url("/login"), login);
  WinHttpRequestOptions data;
  data.requestObject = &object;
  data.cookies = "pref=1";
  WinHttpRequestCall(backend, server.Url("/data"), data);
  EXPECT_EQ(server.RequestsTo("/data").at(0).Header("Cookie"), "session=42; pref=1");
  // A call with an object of its own starts without them.
  WinHttpRequestCall(backend, server.Url("/data"));
  EXPECT_EQ(server.RequestsTo("/data").at(1).Header("Cookie"), std::nullopt);
}

TEST(WinHttpRequestCall, ManyThreadsAtOnceEachGetTheirOwnBody) {
  TestHttpServer server;
  constexpr int kThreads = 6;
  constexpr int kPerThread = 8;
  for (int i = 0; i < kThreads * kPerThread; ++i)
    server.Serve("/seg" + std::to_string(i),
                 HttpReply::Ok(std::string(3000 + i, char('a' + i % 26))));
  HttpBackend backend;
  std::vector<std::thread> threads;
  std::vector<int> wrong(kThreads, 0);
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      for (int k = 0; k < kPerThread; ++k) {
        const int i = t * kPerThread + k;
        const WinHttpResponse r =
            WinHttpRequestCall(backend, server.Url("/seg" + std::to_string(i)));
        if (r.status != 200 || r.body != std::string(3000 + i, char('a' + i % 26))) ++wrong[t];
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(wrong, std::vector<int>(kThreads, 0));
  // Kept-alive connections are reused across calls: at most one per thread.
  EXPECT_LE(server.ConnectionCount(), kThreads);
}

}  // namespace
