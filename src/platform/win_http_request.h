#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/http_backend.h"
#include "platform/text.h"

// A request object in the manner of the system's COM request object: set it
// up, Open, Send synchronously, then read the response. What it keeps between
// requests: its time-outs, proxy, options and cookies (those that responses
// set, also across redirects). Request headers set before Send go with that
// request only; Open clears the previous response.
//
// One thread at a time uses an object; different objects may run on
// different threads at once. The backend must outlive the object. Failed
// calls report false and change nothing, as the COM object's failed calls do.
class WinHttpRequest {
 public:
  // Indexes of the indexed "Option" property that we support.
  static constexpr int kOptionSslErrorIgnoreFlags = 4;
  static constexpr int kOptionEnableRedirects = 6;
  // Bits of the SslErrorIgnoreFlags option.
  static constexpr int kIgnoreUnknownAuthority = 0x0100;
  static constexpr int kIgnoreWrongUsage = 0x0200;
  static constexpr int kIgnoreInvalidCommonName = 0x1000;
  static constexpr int kIgnoreInvalidDate = 0x2000;
  // The proxy setting that names a server (HTTPREQUEST_PROXYSETTING_PROXY).
  static constexpr int kProxySettingProxy = 2;

  explicit WinHttpRequest(HttpBackend& backend);

  // Four limits in milliseconds; 0 means none. Name resolution belongs to the
  // connect phase here, so `resolveMs` is only kept. The defaults are the COM
  // object's: none, 60000, 30000, 30000. False for a negative value.
  bool SetTimeouts(int resolveMs, int connectMs, int sendMs, int receiveMs);
  // Setting 2 with a server "host:port" sends the requests through that
  // proxy; settings 0 and 1 go direct again. False for other settings.
  bool SetProxy(int setting, const Text& server);
  // Adds a header line for the next Send, or replaces the value of a header
  // of the same name (letter case ignored) in its place. False, with nothing
  // set, for an empty name or a name or value that holds a line break.
  bool SetRequestHeader(const Text& name, const Text& value);
  // Starts a new request; only synchronous requests are supported (false
  // when `async`). False, with nothing changed, for an empty method or URL.
  bool Open(const Text& method, const Text& url, bool async);
  // Puts one of the options above; false for any other index.
  bool PutOption(int option, int value);
  // Sends the request with `body` and waits for the whole response. False
  // when no complete response arrived (unreachable address, time-out, a body
  // cut short, cancellation); the response then reads empty with status 0.
  bool Send(std::string_view body);

  // The response body as received, without content decoding.
  const std::string& ResponseBody() const { return responseBody_; }
  // The final response's header lines, each ending in CR LF, then an empty
  // line; without the status line. Empty before a successful Send.
  Text GetAllResponseHeaders() const { return responseHeaders_; }
  // The final response's status code; 0 before a successful Send.
  int Status() const { return status_; }

 private:
  HttpBackend& backend_;
  HttpTimeouts timeouts_{60000, 30000, 30000};
  std::string proxyServer_;
  bool enableRedirects_ = true;
  int sslErrorIgnoreFlags_ = 0;
  std::vector<std::string> cookieJar_;

  bool opened_ = false;
  std::string method_;
  std::string url_;
  std::vector<std::pair<std::string, std::string>> requestHeaders_;

  std::string responseBody_;
  std::string responseHeaders_;
  int status_ = 0;
};
