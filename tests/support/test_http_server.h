#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "platform/text.h"

namespace testing_support {

// One answer of the test server, described as data. Misbehaviour is asked
// for by fields: a delay, a stall, a body cut short.
struct HttpReply {
  enum class Framing {
    kContentLength,  // "Content-Length" announces the whole body
    kChunked,        // "Transfer-Encoding: chunked"
    kUntilClose,     // no length at all: the body ends when the connection closes
  };

  int status = 200;
  std::string reason;  // empty: the usual phrase for the status
  // Header lines in order ("Set-Cookie" lines among them). The server adds
  // only the framing line (unless one is given here) and "Connection:
  // close" when it will close.
  std::vector<std::pair<std::string, std::string>> headers;
  std::string body;
  std::optional<Text> bodyFile;  // the body is this file's content (read per request)
  Framing framing = Framing::kContentLength;
  std::size_t chunkBytes = 0;          // chunked: data bytes per chunk; 0 sends one chunk
  std::chrono::milliseconds delay{0};  // waited before the response is sent
  bool stall = false;  // nothing is ever sent; the connection is held until released
  // Sends only this many body bytes (the framing still announces the whole
  // body), then holds the connection until released.
  std::optional<std::size_t> stallAfterBodyBytes;
  // Sends only this many body bytes (the framing still announces the whole
  // body), then closes the connection.
  std::optional<std::size_t> closeAfterBodyBytes;
  bool closeConnection = false;  // closes the connection after this reply

  static HttpReply Ok(std::string body, int status = 200);
  static HttpReply Redirect(int status, std::string location);
  // The body gzip-compressed, with "Content-Encoding: gzip".
  static HttpReply Gzipped(std::string_view plain);
  HttpReply& Header(std::string name, std::string value);
};

// gzip (RFC 1952) of the bytes.
std::string GzipBytes(std::string_view plain);

// One request as it arrived.
struct RecordedRequest {
  std::string method;
  std::string target;  // as on the request line: origin form, or absolute form via a proxy
  std::string version;
  std::vector<std::string> headerLines;  // exactly as received, without CR LF, in order
  std::string body;                      // de-chunked when it came chunked
  int connection = 0;                    // 1-based number of the TCP connection it came on

  // The target's path: without scheme and authority (absolute form) and
  // without query.
  std::string path() const;
  // Value of the first header of that name (letter case ignored), without
  // the blanks around it.
  std::optional<std::string> Header(std::string_view name) const;
};

struct TestHttpServerOptions {
  // TLS with a self-signed certificate made at start-up for the name
  // "vantrelo-test.invalid", so a client that checks certificates refuses it.
  bool tls = false;
  std::chrono::milliseconds responseDelay{0};  // before every response
  // Extra, before the first response of each connection.
  std::chrono::milliseconds handshakeDelay{0};
  // Per-connection bandwidth cap for everything sent; 0: none.
  std::int64_t bytesPerSecond = 0;
};

// A loopback HTTP/1.1 server for tests and benchmarks, on 127.0.0.1 with a
// port chosen by the system. A thread per connection, keep-alive. It
// records every request and counts accepted connections. It also acts as a
// proxy: absolute-form targets are answered from the same routes (matched on
// their path), and CONNECT opens a tunnel to a port on 127.0.0.1 (any other
// host gets 403).
//
// Routes are looked up by the exact target first, then by the path. Paths
// without a route get 404 "not found". All members are safe from any thread.
// The destructor stops the server: it closes every connection (ending
// stalls) and joins its threads.
class TestHttpServer {
 public:
  explicit TestHttpServer(TestHttpServerOptions options = {});
  ~TestHttpServer();
  TestHttpServer(const TestHttpServer&) = delete;
  TestHttpServer& operator=(const TestHttpServer&) = delete;

  int port() const { return port_; }
  // "http://127.0.0.1:PORT" (https for TLS), no final "/".
  std::string origin() const;
  // origin() + path; `path` starts with "/".
  std::string Url(std::string_view path) const;
  // "127.0.0.1:PORT", to use the server as a proxy.
  std::string hostAndPort() const;
  // PEM of the TLS certificate; empty without TLS.
  const std::string& certificatePem() const { return certificatePem_; }

  // Every request for `path` gets `reply`.
  void Serve(const std::string& path, HttpReply reply);
  // The first requests get `first` in turn, every later one `then` (for
  // example two 503 answers, then 200).
  void ServeSequence(const std::string& path, std::vector<HttpReply> first, HttpReply then);
  // The reply is made per request, on the connection's thread.
  void Handle(const std::string& path, std::function<HttpReply(const RecordedRequest&)> handler);

  std::vector<RecordedRequest> Requests() const;
  std::vector<RecordedRequest> RequestsTo(std::string_view path) const;
  std::size_t RequestCount() const;
  // Waits until at least `count` requests have arrived; false on time-out.
  bool WaitForRequests(std::size_t count,
                       std::chrono::milliseconds timeout = std::chrono::seconds(10)) const;
  // TCP connections accepted so far (tunnels included).
  int ConnectionCount() const;
  // Stalled replies end now: their connections are closed.
  void ReleaseStalled();

 private:
  struct Route {
    std::vector<HttpReply> first;
    HttpReply then;
    std::function<HttpReply(const RecordedRequest&)> handler;
    std::size_t served = 0;
  };
  class Connection;

  void AcceptLoop();
  void ServeConnection(int fd, int number);
  HttpReply ReplyFor(const RecordedRequest& request);
  bool SendReply(Connection& connection, const RecordedRequest& request, const HttpReply& reply);
  void Tunnel(Connection& connection, const RecordedRequest& request);
  // Waits for `duration` unless the server stops first; false when it stops.
  bool Pause(std::chrono::milliseconds duration);
  // Holds until ReleaseStalled or the server stops.
  void HoldStalled();

  TestHttpServerOptions options_;
  int listenFd_ = -1;
  int port_ = 0;
  std::string certificatePem_;
  void* tlsContext_ = nullptr;  // SSL_CTX

  mutable std::mutex mutex_;
  mutable std::condition_variable changed_;
  bool stopping_ = false;
  int releaseGeneration_ = 0;
  std::map<std::string, Route> routes_;
  std::vector<RecordedRequest> requests_;
  int connections_ = 0;
  std::set<int> openFds_;
  std::vector<std::thread> connectionThreads_;
  std::thread acceptThread_;
};

}  // namespace testing_support
