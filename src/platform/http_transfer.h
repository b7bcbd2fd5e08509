#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// One HTTP exchange as the backend carries it out: what goes on the wire and
// how, and what came back. Plain values; the routines of the HTTP module
// build them from their own arguments.

// Limits on the phases of a transfer, in milliseconds; 0 means no limit.
struct HttpTimeouts {
  int connectMs = 0;  // name resolution, TCP and TLS set-up
  int sendMs = 0;     // longest pause while the request is going out
  int receiveMs = 0;  // longest wait for the next byte of the response
};

enum class HttpProxyMode {
  kDirect,  // no proxy, whatever the environment says
  kSystem,  // the system's proxy environment (http_proxy, https_proxy, no_proxy)
  kServer,  // the proxy server named in the transfer
};

struct HttpTransfer {
  // Absolute address. Bytes that may not stand in a request target (controls,
  // blanks, and every byte of 0x7F and above, GBK characters among them) are
  // sent percent-encoded; everything else is sent as written.
  std::string url;
  // The verb, sent exactly as written ("post" stays "post"). "GET" and
  // "HEAD" without a body are plain requests of that kind.
  std::string method = "GET";
  // The request body, sent with its Content-Length; an engaged empty body
  // sends "Content-Length: 0".
  std::optional<std::string> body;
  // Request header lines "Name: value", sent in this order right after the
  // Host line. The backend adds no Accept, Expect, User-Agent or
  // Content-Type line of its own; a line without ":" is not sent.
  std::vector<std::string> headerLines;
  // Value of the Cookie header. Cookies the jar holds for the address go into
  // the same line, before this value. The line stands before headerLines.
  std::optional<std::string> cookie;
  // Lines only the proxy sees: they go with the CONNECT of a tunnel, and
  // after headerLines when a plain request goes through the proxy.
  std::vector<std::string> proxyHeaderLines;
  HttpProxyMode proxyMode = HttpProxyMode::kDirect;
  std::string proxyServer;  // for kServer: "host:port"; empty means direct
  bool followRedirects = true;
  int maxRedirects = 10;
  bool verifyPeer = true;      // the certificate chains to a trusted authority and is in date
  bool verifyHost = true;      // the certificate names the host
  bool allowFileUrls = false;  // "file://" besides "http://" and "https://"
  bool pathAsIs = false;       // keep "/../" and "/./" in the path instead of resolving them
  HttpTimeouts timeouts;
  // The body reaches the sink in pieces of exactly this many bytes, the last
  // one shorter, however the network cuts it; 0 passes pieces as they come.
  std::size_t chunkBytes = 0;
  // Cookies kept across transfers, in libcurl's cookie-file line form: read
  // before the transfer, replaced by the jar's content after it. Null: the
  // transfer starts with an empty jar that ends with it. Either way cookies
  // that redirects set are sent on the following hops.
  std::vector<std::string>* cookieJar = nullptr;
};

// The final response as far as it is known when body bytes arrive.
struct HttpResponseHead {
  int status = 0;
  std::int64_t contentLength = -1;  // -1 when the response gave none
};

struct HttpTransferResult {
  // True when the whole response arrived: a body cut short of its length, a
  // time-out, a cancellation or any other error leaves it false.
  bool completed = false;
  int status = 0;  // of the final response; 0 when none arrived
  // The final response's status line and header lines, each ending in
  // CR LF, then an empty line; empty when no complete header block arrived.
  std::string rawHeaders;
  std::int64_t contentLength = -1;
  bool timedOut = false;
  std::string error;  // what went wrong, for people; empty when completed
};

// Receives the body piece by piece on the thread that runs the transfer.
// Returning false ends the transfer as failed.
using HttpBodySink = std::function<bool(std::string_view piece, const HttpResponseHead& head)>;
