#pragma once

#include <optional>

#include "platform/http_backend.h"
#include "platform/text.h"

// The optional arguments of HttpRequest. `method` and `headers` are in-out:
// the call rewrites them in the caller's struct. `proxy` and
// `responseHeaders` act on being supplied (engaged), whatever their value.
struct HttpRequestOptions {
  // "POST" in any letter case makes a POST with that verb as written; any
  // other text is replaced by "GET".
  Text method;
  // Supplied: through the proxy "host:port" for the request (an empty text
  // goes direct).
  std::optional<Text> proxy;
  // Extra header lines, each ending in CR LF; on return the complete header
  // text that was sent, with the default lines appended.
  Text headers;
  // The body of a POST.
  Text postData;
  // Supplied: receives the final response's status line and header lines,
  // each ending in CR LF, then an empty line (empty when none arrived).
  std::optional<Text> responseHeaders;
};

// Fetches an address over plain HTTP (its host, port and path as UrlHost,
// UrlPort and UrlPath give them) and returns the body up to its first zero
// byte, as received: no decoding, whatever the status (an error page is a
// body like any other). On a failed or cut transfer, whatever arrived; often
// nothing. Redirects are followed with the cookies they set. Connect, send
// and receive limits: 18 s each, the receive limit counting from the last
// byte received. Any thread; the call blocks until the transfer ends.
Text HttpRequest(HttpBackend& backend, const Text& url);
Text HttpRequest(HttpBackend& backend, const Text& url, HttpRequestOptions& options);

// The default lines of the request's header text: each test looks for the
// text anywhere in `headers`, ignoring letter case, and appends its line when
// it is missing.
void CompleteWinInetHeaders(Text& headers, const Text& url);
