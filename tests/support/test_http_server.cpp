#include "support/test_http_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <stdexcept>

#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>
#include <zlib.h>

#include "platform/files.h"

namespace testing_support {

namespace {

using Clock = std::chrono::steady_clock;

std::string Lower(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

std::string Trim(std::string_view text) {
  const size_t begin = text.find_first_not_of(" \t");
  if (begin == std::string_view::npos) return "";
  const size_t end = text.find_last_not_of(" \t");
  return std::string(text.substr(begin, end - begin + 1));
}

const char* Reason(int status) {
  switch (status) {
    case 100:
      return "Continue";
    case 200:
      return "OK";
    case 204:
      return "No Content";
    case 206:
      return "Partial Content";
    case 301:
      return "Moved Permanently";
    case 302:
      return "Found";
    case 303:
      return "See Other";
    case 304:
      return "Not Modified";
    case 307:
      return "Temporary Redirect";
    case 308:
      return "Permanent Redirect";
    case 400:
      return "Bad Request";
    case 403:
      return "Forbidden";
    case 404:
      return "Not Found";
    case 429:
      return "Too Many Requests";
    case 500:
      return "Internal Server Error";
    case 502:
      return "Bad Gateway";
    case 503:
      return "Service Unavailable";
    default:
      return "Status";
  }
}

std::string Hex(size_t value) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%zx", value);
  return buffer;
}

bool HasHeader(const HttpReply& reply, std::string_view name) {
  for (const auto& header : reply.headers)
    if (Lower(header.first) == Lower(name)) return true;
  return false;
}

// Writes to a peer that has gone must fail, not kill the test process.
void IgnoreBrokenPipes() {
  static std::once_flag once;
  std::call_once(once, [] { ::signal(SIGPIPE, SIG_IGN); });
}

struct TlsIdentity {
  SSL_CTX* context = nullptr;
  std::string pem;
};

TlsIdentity MakeSelfSignedContext() {
  TlsIdentity identity;
  EVP_PKEY* key = EVP_EC_gen("P-256");
  X509* certificate = X509_new();
  if (!key || !certificate) throw std::runtime_error("cannot make a TLS key");
  X509_set_version(certificate, 2);
  ASN1_INTEGER_set(X509_get_serialNumber(certificate), 1);
  X509_gmtime_adj(X509_getm_notBefore(certificate), -3600);
  X509_gmtime_adj(X509_getm_notAfter(certificate), 24 * 3600);
  X509_set_pubkey(certificate, key);
  X509_NAME* name = X509_get_subject_name(certificate);
  X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC,
                             reinterpret_cast<const unsigned char*>("vantrelo-test.invalid"), -1,
                             -1, 0);
  X509_set_issuer_name(certificate, name);
  X509_sign(certificate, key, EVP_sha256());

  identity.context = SSL_CTX_new(TLS_server_method());
  SSL_CTX_use_certificate(identity.context, certificate);
  SSL_CTX_use_PrivateKey(identity.context, key);
  BIO* bio = BIO_new(BIO_s_mem());
  PEM_write_bio_X509(bio, certificate);
  char* data = nullptr;
  const long size = BIO_get_mem_data(bio, &data);
  identity.pem.assign(data, static_cast<size_t>(size));
  BIO_free(bio);
  X509_free(certificate);
  EVP_PKEY_free(key);
  return identity;
}

}  // namespace

HttpReply HttpReply::Ok(std::string body, int status) {
  HttpReply reply;
  reply.status = status;
  reply.body = std::move(body);
  return reply;
}

HttpReply HttpReply::Redirect(int status, std::string location) {
  HttpReply reply;
  reply.status = status;
  reply.headers.emplace_back("Location", std::move(location));
  return reply;
}

HttpReply HttpReply::Gzipped(std::string_view plain) {
  HttpReply reply;
  reply.body = GzipBytes(plain);
  reply.headers.emplace_back("Content-Encoding", "gzip");
  return reply;
}

HttpReply& HttpReply::Header(std::string name, std::string value) {
  headers.emplace_back(std::move(name), std::move(value));
  return *this;
}

std::string GzipBytes(std::string_view plain) {
  z_stream stream{};
  deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY);
  std::string out(deflateBound(&stream, plain.size()) + 32, '\0');
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(plain.data()));
  stream.avail_in = static_cast<uInt>(plain.size());
  stream.next_out = reinterpret_cast<Bytef*>(out.data());
  stream.avail_out = static_cast<uInt>(out.size());
  deflate(&stream, Z_FINISH);
  out.resize(stream.total_out);
  deflateEnd(&stream);
  return out;
}

std::string RecordedRequest::path() const {
  std::string_view rest = target;
  for (std::string_view scheme : {"http://", "https://"}) {
    if (Lower(rest.substr(0, scheme.size())) == scheme) {
      rest.remove_prefix(scheme.size());
      const size_t slash = rest.find('/');
      rest = slash == std::string_view::npos ? std::string_view("/") : rest.substr(slash);
      break;
    }
  }
  return std::string(rest.substr(0, rest.find('?')));
}

std::optional<std::string> RecordedRequest::Header(std::string_view name) const {
  const std::string wanted = Lower(name);
  for (const std::string& line : headerLines) {
    const size_t colon = line.find(':');
    if (colon != std::string::npos && Lower(Trim(line.substr(0, colon))) == wanted)
      return Trim(std::string_view(line).substr(colon + 1));
  }
  return std::nullopt;
}

// One accepted connection: plain or TLS, with the bandwidth cap applied to
// everything it sends.
class TestHttpServer::Connection {
 public:
  Connection(TestHttpServer& server, int fd, int number)
      : server_(server), fd_(fd), number_(number) {}
  ~Connection() {
    if (ssl_) SSL_free(ssl_);
  }

  bool StartTls(SSL_CTX* context) {
    ssl_ = SSL_new(context);
    SSL_set_fd(ssl_, fd_);
    return SSL_accept(ssl_) == 1;
  }

  // Some bytes, 0 at the end of the stream or on an error.
  size_t Receive(char* buffer, size_t size) {
    if (ssl_) {
      const int got = SSL_read(ssl_, buffer, static_cast<int>(std::min<size_t>(size, 1 << 20)));
      return got > 0 ? static_cast<size_t>(got) : 0;
    }
    for (;;) {
      const ssize_t got = ::recv(fd_, buffer, size, 0);
      if (got < 0 && errno == EINTR) continue;
      return got > 0 ? static_cast<size_t>(got) : 0;
    }
  }

  bool Send(std::string_view bytes) {
    const std::int64_t rate = server_.options_.bytesPerSecond;
    while (!bytes.empty()) {
      size_t slice = bytes.size();
      if (rate > 0) {
        // Pace the stream like a link of that speed: each slice leaves once
        // the ones before it are through, and an idle link earns no credit,
        // so a pause between responses does not buy a burst after it.
        slice = std::min<size_t>(slice, static_cast<size_t>(std::max<std::int64_t>(rate / 50, 1)));
        const auto now = Clock::now();
        if (pacedUntil_ < now) pacedUntil_ = now;
        if (pacedUntil_ > now &&
            !server_.Pause(
                std::chrono::duration_cast<std::chrono::milliseconds>(pacedUntil_ - now)))
          return false;
        pacedUntil_ += std::chrono::microseconds(static_cast<std::int64_t>(slice) * 1000000 / rate);
      }
      if (!SendRaw(bytes.substr(0, slice))) return false;
      bytes.remove_prefix(slice);
    }
    return true;
  }

  int fd() const { return fd_; }
  int number() const { return number_; }
  bool answeredBefore = false;

 private:
  bool SendRaw(std::string_view bytes) {
    while (!bytes.empty()) {
      if (ssl_) {
        const int put = SSL_write(ssl_, bytes.data(), static_cast<int>(bytes.size()));
        if (put <= 0) return false;
        bytes.remove_prefix(static_cast<size_t>(put));
      } else {
        const ssize_t put = ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) return false;
        bytes.remove_prefix(static_cast<size_t>(put));
      }
    }
    return true;
  }

  TestHttpServer& server_;
  int fd_;
  int number_;
  SSL* ssl_ = nullptr;
  Clock::time_point pacedUntil_{};
};

TestHttpServer::TestHttpServer(TestHttpServerOptions options) : options_(options) {
  IgnoreBrokenPipes();
  if (options_.tls) {
    TlsIdentity identity = MakeSelfSignedContext();
    tlsContext_ = identity.context;
    certificatePem_ = std::move(identity.pem);
  }
  listenFd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  const int yes = 1;
  ::setsockopt(listenFd_, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = 0;
  if (::bind(listenFd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      ::listen(listenFd_, 256) != 0)
    throw std::runtime_error("test server cannot listen");
  socklen_t length = sizeof address;
  ::getsockname(listenFd_, reinterpret_cast<sockaddr*>(&address), &length);
  port_ = ntohs(address.sin_port);
  acceptThread_ = std::thread([this] { AcceptLoop(); });
}

TestHttpServer::~TestHttpServer() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
    for (int fd : openFds_) ::shutdown(fd, SHUT_RDWR);
  }
  changed_.notify_all();
  ::shutdown(listenFd_, SHUT_RDWR);
  acceptThread_.join();
  ::close(listenFd_);
  std::vector<std::thread> threads;
  {
    std::lock_guard lock(mutex_);
    threads.swap(connectionThreads_);
  }
  for (std::thread& thread : threads) thread.join();
  if (tlsContext_) SSL_CTX_free(static_cast<SSL_CTX*>(tlsContext_));
}

std::string TestHttpServer::origin() const {
  return std::string(options_.tls ? "https://" : "http://") + hostAndPort();
}

std::string TestHttpServer::Url(std::string_view path) const {
  return origin() + std::string(path);
}

std::string TestHttpServer::hostAndPort() const { return "127.0.0.1:" + std::to_string(port_); }

void TestHttpServer::Serve(const std::string& path, HttpReply reply) {
  ServeSequence(path, {}, std::move(reply));
}

void TestHttpServer::ServeSequence(const std::string& path, std::vector<HttpReply> first,
                                   HttpReply then) {
  std::lock_guard lock(mutex_);
  routes_[path] = Route{std::move(first), std::move(then), nullptr, 0};
}

void TestHttpServer::Handle(const std::string& path,
                            std::function<HttpReply(const RecordedRequest&)> handler) {
  std::lock_guard lock(mutex_);
  routes_[path] = Route{{}, {}, std::move(handler), 0};
}

std::vector<RecordedRequest> TestHttpServer::Requests() const {
  std::lock_guard lock(mutex_);
  return requests_;
}

std::vector<RecordedRequest> TestHttpServer::RequestsTo(std::string_view path) const {
  std::vector<RecordedRequest> matching;
  for (RecordedRequest& request : Requests())
    if (request.path() == path) matching.push_back(std::move(request));
  return matching;
}

std::size_t TestHttpServer::RequestCount() const {
  std::lock_guard lock(mutex_);
  return requests_.size();
}

bool TestHttpServer::WaitForRequests(std::size_t count, std::chrono::milliseconds timeout) const {
  std::unique_lock lock(mutex_);
  return changed_.wait_for(lock, timeout, [&] { return requests_.size() >= count; });
}

int TestHttpServer::ConnectionCount() const {
  std::lock_guard lock(mutex_);
  return connections_;
}

void TestHttpServer::ReleaseStalled() {
  {
    std::lock_guard lock(mutex_);
    ++releaseGeneration_;
  }
  changed_.notify_all();
}

bool TestHttpServer::Pause(std::chrono::milliseconds duration) {
  std::unique_lock lock(mutex_);
  return !changed_.wait_for(lock, duration, [&] { return stopping_; });
}

void TestHttpServer::HoldStalled() {
  std::unique_lock lock(mutex_);
  const int generation = releaseGeneration_;
  changed_.wait(lock, [&] { return stopping_ || releaseGeneration_ != generation; });
}

void TestHttpServer::AcceptLoop() {
  for (;;) {
    const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
    std::lock_guard lock(mutex_);
    if (stopping_) {
      if (fd >= 0) ::close(fd);
      return;
    }
    if (fd < 0) {
      if (errno == EINTR || errno == ECONNABORTED) continue;
      return;
    }
    const int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    const int number = ++connections_;
    openFds_.insert(fd);
    connectionThreads_.emplace_back([this, fd, number] { ServeConnection(fd, number); });
  }
}

namespace {

// Reads until `buffer` holds a CR LF CR LF or the stream ends.
template <typename Receive>
bool ReadHead(Receive&& receive, std::string& buffer, size_t& headEnd) {
  while ((headEnd = buffer.find("\r\n\r\n")) == std::string::npos) {
    char chunk[16384];
    const size_t got = receive(chunk, sizeof chunk);
    if (got == 0) return false;
    buffer.append(chunk, got);
  }
  return true;
}

template <typename Receive>
bool ReadBytes(Receive&& receive, std::string& buffer, size_t count) {
  while (buffer.size() < count) {
    char chunk[16384];
    const size_t got = receive(chunk, sizeof chunk);
    if (got == 0) return false;
    buffer.append(chunk, got);
  }
  return true;
}

template <typename Receive>
bool ReadLine(Receive&& receive, std::string& buffer, std::string& line) {
  size_t end;
  while ((end = buffer.find("\r\n")) == std::string::npos) {
    char chunk[16384];
    const size_t got = receive(chunk, sizeof chunk);
    if (got == 0) return false;
    buffer.append(chunk, got);
  }
  line = buffer.substr(0, end);
  buffer.erase(0, end + 2);
  return true;
}

}  // namespace

void TestHttpServer::ServeConnection(int fd, int number) {
  Connection connection(*this, fd, number);
  auto receive = [&connection](char* data, size_t size) { return connection.Receive(data, size); };
  bool usable = !tlsContext_ || connection.StartTls(static_cast<SSL_CTX*>(tlsContext_));
  std::string buffer;
  while (usable) {
    size_t headEnd = 0;
    if (!ReadHead(receive, buffer, headEnd)) break;
    RecordedRequest request;
    request.connection = number;
    {
      const std::string head = buffer.substr(0, headEnd);
      buffer.erase(0, headEnd + 4);
      size_t lineEnd = head.find("\r\n");
      const std::string requestLine = head.substr(0, lineEnd);
      const size_t firstBlank = requestLine.find(' ');
      const size_t lastBlank = requestLine.rfind(' ');
      request.method = requestLine.substr(0, firstBlank);
      if (firstBlank != std::string::npos && lastBlank > firstBlank) {
        request.target = requestLine.substr(firstBlank + 1, lastBlank - firstBlank - 1);
        request.version = requestLine.substr(lastBlank + 1);
      }
      while (lineEnd != std::string::npos) {
        const size_t start = lineEnd + 2;
        lineEnd = head.find("\r\n", start);
        request.headerLines.push_back(head.substr(start, lineEnd - start));
      }
    }
    if (Lower(request.Header("Expect").value_or("")) == "100-continue")
      connection.Send("HTTP/1.1 100 Continue\r\n\r\n");
    if (Lower(request.Header("Transfer-Encoding").value_or("")) == "chunked") {
      bool whole = false;
      for (std::string sizeLine; ReadLine(receive, buffer, sizeLine);) {
        const size_t size = std::strtoul(sizeLine.c_str(), nullptr, 16);
        if (!ReadBytes(receive, buffer, size + 2)) break;
        request.body.append(buffer, 0, size);
        buffer.erase(0, size + 2);
        if (size == 0) {
          whole = true;
          break;
        }
      }
      if (!whole) break;
    } else if (auto length = request.Header("Content-Length")) {
      const size_t size = std::strtoul(length->c_str(), nullptr, 10);
      if (!ReadBytes(receive, buffer, size)) break;
      request.body = buffer.substr(0, size);
      buffer.erase(0, size);
    }
    {
      std::lock_guard lock(mutex_);
      requests_.push_back(request);
    }
    changed_.notify_all();

    if (request.method == "CONNECT") {
      Tunnel(connection, request);
      break;
    }
    const HttpReply reply = ReplyFor(request);
    if (!SendReply(connection, request, reply)) break;
    if (Lower(request.Header("Connection").value_or("")) == "close") break;
  }
  {
    std::lock_guard lock(mutex_);
    openFds_.erase(fd);
  }
  ::close(fd);
}

HttpReply TestHttpServer::ReplyFor(const RecordedRequest& request) {
  std::function<HttpReply(const RecordedRequest&)> handler;
  {
    std::lock_guard lock(mutex_);
    auto route = routes_.find(request.target);
    if (route == routes_.end()) route = routes_.find(request.path());
    if (route == routes_.end()) return HttpReply::Ok("not found", 404);
    Route& found = route->second;
    if (!found.handler) {
      const std::size_t index = found.served++;
      return index < found.first.size() ? found.first[index] : found.then;
    }
    handler = found.handler;
  }
  return handler(request);
}

bool TestHttpServer::SendReply(Connection& connection, const RecordedRequest& request,
                               const HttpReply& reply) {
  std::chrono::milliseconds wait = options_.responseDelay + reply.delay;
  if (!connection.answeredBefore) wait += options_.handshakeDelay;
  connection.answeredBefore = true;
  if (wait.count() > 0 && !Pause(wait)) return false;
  if (reply.stall) {
    HoldStalled();
    return false;
  }

  std::string body = reply.body;
  if (reply.bodyFile) body = ReadWholeFile(*reply.bodyFile).value_or("");
  const bool closing = reply.closeConnection || reply.framing == HttpReply::Framing::kUntilClose ||
                       reply.closeAfterBodyBytes.has_value();

  std::string head = "HTTP/1.1 " + std::to_string(reply.status) + " " +
                     (reply.reason.empty() ? Reason(reply.status) : reply.reason) + "\r\n";
  for (const auto& [name, value] : reply.headers) head += name + ": " + value + "\r\n";
  if (reply.framing == HttpReply::Framing::kContentLength && !HasHeader(reply, "Content-Length"))
    head += "Content-Length: " + std::to_string(body.size()) + "\r\n";
  if (reply.framing == HttpReply::Framing::kChunked && !HasHeader(reply, "Transfer-Encoding"))
    head += "Transfer-Encoding: chunked\r\n";
  if (closing && !HasHeader(reply, "Connection")) head += "Connection: close\r\n";
  head += "\r\n";
  if (!connection.Send(head)) return false;
  const bool noBody =
      request.method == "HEAD" || reply.status == 204 || reply.status == 304 || reply.status < 200;
  if (noBody) return !closing;

  size_t limit = body.size();
  if (reply.closeAfterBodyBytes) limit = std::min(limit, *reply.closeAfterBodyBytes);
  if (reply.stallAfterBodyBytes) limit = std::min(limit, *reply.stallAfterBodyBytes);
  const bool cut = limit < body.size();
  if (reply.framing == HttpReply::Framing::kChunked) {
    const size_t chunk = reply.chunkBytes > 0 ? reply.chunkBytes : std::max<size_t>(body.size(), 1);
    for (size_t pos = 0; pos < limit; pos += chunk) {
      const size_t size = std::min(chunk, body.size() - pos);
      const size_t sendNow = std::min(size, limit - pos);
      std::string piece = Hex(size) + "\r\n" + body.substr(pos, sendNow);
      if (sendNow == size) piece += "\r\n";
      if (!connection.Send(piece)) return false;
    }
    if (!cut && !connection.Send("0\r\n\r\n")) return false;
  } else if (!connection.Send(std::string_view(body).substr(0, limit))) {
    return false;
  }
  if (reply.stallAfterBodyBytes && cut) {
    HoldStalled();
    return false;
  }
  return !closing;
}

void TestHttpServer::Tunnel(Connection& connection, const RecordedRequest& request) {
  const size_t colon = request.target.rfind(':');
  const std::string host = request.target.substr(0, colon);
  const int port = colon == std::string::npos ? 0 : std::atoi(request.target.c_str() + colon + 1);
  if (host != "127.0.0.1" && host != "localhost") {
    connection.Send("HTTP/1.1 403 Forbidden\r\nContent-Length: 0\r\n\r\n");
    return;
  }
  const int upstream = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(static_cast<uint16_t>(port));
  if (::connect(upstream, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    ::close(upstream);
    connection.Send("HTTP/1.1 502 Bad Gateway\r\nContent-Length: 0\r\n\r\n");
    return;
  }
  {
    std::lock_guard lock(mutex_);
    openFds_.insert(upstream);
  }
  if (connection.Send("HTTP/1.1 200 Connection established\r\n\r\n")) {
    pollfd fds[2] = {{connection.fd(), POLLIN, 0}, {upstream, POLLIN, 0}};
    bool open = true;
    while (open && ::poll(fds, 2, -1) > 0) {
      for (int i = 0; i < 2 && open; ++i) {
        if (!(fds[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
        char data[16384];
        const ssize_t got = ::recv(fds[i].fd, data, sizeof data, 0);
        open =
            got > 0 && ::send(fds[1 - i].fd, data, static_cast<size_t>(got), MSG_NOSIGNAL) == got;
      }
    }
  }
  {
    std::lock_guard lock(mutex_);
    openFds_.erase(upstream);
  }
  ::close(upstream);
}

}  // namespace testing_support
