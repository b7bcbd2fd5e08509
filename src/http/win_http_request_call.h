#pragma once

#include <optional>
#include <string>

#include "platform/http_backend.h"
#include "platform/text.h"
#include "platform/win_http_request.h"

// The optional arguments of WinHttpRequestCall; a default-made struct omits
// them all. `cookies` and `headers` are in-out: the call rewrites them here.
// `cookies`, `proxyAuthMode` and `mergeCookies` act on being supplied
// (engaged); `requestObject` when not null.
struct WinHttpRequestOptions {
  // Index into GET, POST, HEAD, PUT, OPTIONS, DELETE, TRACE, CONNECT; any
  // other value is GET.
  int method = 0;
  Text postText;  // the body when postBytes is empty
  // Supplied: sent as the Cookie header (also when empty); replaced by the
  // merged cookie text when cookies are merged.
  std::optional<Text> cookies;
  // Extra header lines separated by CR LF; on return the complete header
  // text that was applied.
  Text headers;
  bool noRedirect = false;
  std::string postBytes;  // when not empty, the body instead of postText
  Text proxy;             // "host:port" of a proxy; empty goes direct
  // -1 keeps the request object's own limits; 1 or more sets that many
  // seconds; anything else 15 s. One value for connect, send and receive.
  int timeoutSeconds = 0;
  Text proxyUser;
  Text proxyPassword;
  // 1 (also when not supplied): with a proxyUser, a Basic
  // Proxy-Authorization header is sent; other values send none.
  std::optional<int> proxyAuthMode;
  // The request runs on this object (the caller's, which keeps its cookies
  // and settings for later calls) instead of a new one.
  WinHttpRequest* requestObject = nullptr;
  // Merge `cookies` with the new cookies; true when not supplied. Only when
  // `cookies` was supplied.
  std::optional<bool> mergeCookies;
};

struct WinHttpResponse {
  // The body as received, no content decoding; empty when the request
  // failed (no answer, time-out, a body cut short of its length, any error).
  std::string body;
  // "name=value" of every "Set-Cookie" line, joined by "; ", merged with
  // `cookies` when cookies are merged.
  Text returnedCookies;
  // The response's header lines as GetAllResponseHeaders gives them; empty
  // when the request failed.
  Text responseHeaders;
  // The final status code; 0 when the request failed. An error page comes
  // with its status and body.
  int status = 0;
};

// One synchronous request in the manner of the system's COM request object,
// with its default header lines, time-out rule and cookie collection.
// Certificate errors are ignored; redirects are followed unless noRedirect.
// Any thread, many at once; each call (without requestObject) uses an
// object of its own.
WinHttpResponse WinHttpRequestCall(HttpBackend& backend, const Text& url,
                                   WinHttpRequestOptions& options);
// The same with every option omitted but the method.
WinHttpResponse WinHttpRequestCall(HttpBackend& backend, const Text& url, int method = 0);

// Completes the header text in place for a request with this method index
// (already in range): each test looks for its text with exact letter case.
void CompleteWinHttpHeaders(Text& headers, const Text& url, int method);
