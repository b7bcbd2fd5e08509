#include "platform/http_backend.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstring>
#include <mutex>
#include <utility>

#include <curl/curl.h>

namespace {

// Milliseconds on the monotonic clock; only differences mean anything.
std::int64_t MonotonicMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

// libcurl's own requirement: its global set-up runs once per process, before
// any handle exists.
void InitialiseCurlOnce() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

// A request target may hold only visible ASCII; GBK text, blanks and
// controls travel percent-encoded. Existing escapes are kept as they are.
std::string EncodeUrl(const std::string& url) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(url.size());
  for (unsigned char c : url) {
    if (c <= 0x20 || c >= 0x7F) {
      out.push_back('%');
      out.push_back(kHex[c >> 4]);
      out.push_back(kHex[c & 0x0F]);
    } else {
      out.push_back(static_cast<char>(c));
    }
  }
  return out;
}

class HeaderList {
 public:
  HeaderList() = default;
  ~HeaderList() { curl_slist_free_all(list_); }
  HeaderList(const HeaderList&) = delete;
  HeaderList& operator=(const HeaderList&) = delete;
  void Add(const std::string& line) {
    if (curl_slist* grown = curl_slist_append(list_, line.c_str())) list_ = grown;
  }
  curl_slist* get() const { return list_; }

 private:
  curl_slist* list_ = nullptr;
};

// A header line that may go on the wire: "Name: value" with a name and no
// line break inside (a break would start a header of the caller's making).
bool IsSendableHeaderLine(const std::string& line) {
  const size_t colon = line.find(':');
  if (colon == std::string::npos || colon == 0) return false;
  return line.find_first_of("\r\n") == std::string::npos && line.find('\0') == std::string::npos;
}

}  // namespace

// An easy handle with a multi handle of its own to run it in. The multi
// handle holds the kept-alive connections between transfers; driving it
// ourselves lets the idle limits and cancellation act within milliseconds.
struct HttpBackend::Handle {
  CURL* easy = nullptr;
  CURLM* multi = nullptr;
  ~Handle() {
    if (multi) curl_multi_cleanup(multi);
    if (easy) curl_easy_cleanup(easy);
  }
};

struct HttpBackend::SharedCache {
  CURLSH* share = nullptr;
  std::array<std::mutex, CURL_LOCK_DATA_LAST> locks;

  SharedCache() {
    share = curl_share_init();
    if (!share) return;
    curl_share_setopt(share, CURLSHOPT_USERDATA, this);
    curl_share_setopt(share, CURLSHOPT_LOCKFUNC, &SharedCache::Lock);
    curl_share_setopt(share, CURLSHOPT_UNLOCKFUNC, &SharedCache::Unlock);
    // Connections are not shared here: libcurl does not support a shared
    // connection cache between concurrent threads. Each pooled handle keeps
    // its own connections instead.
    curl_share_setopt(share, CURLSHOPT_SHARE, CURL_LOCK_DATA_DNS);
    curl_share_setopt(share, CURLSHOPT_SHARE, CURL_LOCK_DATA_SSL_SESSION);
  }
  ~SharedCache() {
    if (share) curl_share_cleanup(share);
  }
  static void Lock(CURL*, curl_lock_data data, curl_lock_access, void* user) {
    static_cast<SharedCache*>(user)->locks[data].lock();
  }
  static void Unlock(CURL*, curl_lock_data data, void* user) {
    static_cast<SharedCache*>(user)->locks[data].unlock();
  }
};

namespace {

// Everything the callbacks of one running transfer need.
struct RunningTransfer {
  CURL* easy = nullptr;
  const HttpTransfer* transfer = nullptr;
  const HttpBodySink* sink = nullptr;
  const std::atomic<bool>* cancelled = nullptr;
  int sendMs = 0;
  int receiveMs = 0;

  std::int64_t lastActivity = 0;
  curl_off_t lastUploaded = 0;
  bool timedOut = false;
  bool wasCancelled = false;
  bool sinkRefused = false;

  std::string currentHeaders;  // the header block being received
  bool currentComplete = false;
  std::string finalHeaders;  // the latest complete block

  std::string pending;  // body bytes waiting to fill a piece

  void Touch() { lastActivity = MonotonicMs(); }

  HttpResponseHead Head() const {
    HttpResponseHead head;
    long status = 0;
    curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &status);
    head.status = static_cast<int>(status);
    curl_off_t length = -1;
    if (curl_easy_getinfo(easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length) == CURLE_OK)
      head.contentLength = length;
    return head;
  }

  bool Deliver(std::string_view piece) {
    if (!*sink || piece.empty()) return true;
    if (!(*sink)(piece, Head())) {
      sinkRefused = true;
      return false;
    }
    return true;
  }

  bool TakeBody(const char* data, size_t size) {
    const size_t chunk = transfer->chunkBytes;
    if (chunk == 0) return Deliver(std::string_view(data, size));
    while (size > 0) {
      const size_t take = std::min(size, chunk - pending.size());
      pending.append(data, take);
      data += take;
      size -= take;
      if (pending.size() == chunk) {
        if (!Deliver(pending)) return false;
        pending.clear();
      }
    }
    return true;
  }

  static size_t OnBody(char* data, size_t size, size_t count, void* user) {
    auto* self = static_cast<RunningTransfer*>(user);
    self->Touch();
    return self->TakeBody(data, size * count) ? size * count : 0;
  }

  static size_t OnHeader(char* data, size_t size, size_t count, void* user) {
    auto* self = static_cast<RunningTransfer*>(user);
    self->Touch();
    std::string line(data, size * count);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
    if (line.compare(0, 5, "HTTP/") == 0) {
      self->currentHeaders.clear();
      self->currentComplete = false;
    } else if (self->currentComplete) {
      return size * count;  // trailers after a chunked body
    }
    self->currentHeaders += line + "\r\n";
    if (line.empty()) {
      self->currentComplete = true;
      self->finalHeaders = self->currentHeaders;
    }
    return size * count;
  }

  // Ends the transfer when the caller cancelled or nothing moved for longer
  // than the limit of the phase: the send limit while the body goes out,
  // the receive limit while we wait for the answer. Gives how long the
  // transfer may wait for the next event before it must look again.
  int CheckLimits() {
    if (cancelled->load()) {
      wasCancelled = true;
      return -1;
    }
    curl_off_t uploaded = 0;
    curl_easy_getinfo(easy, CURLINFO_SIZE_UPLOAD_T, &uploaded);
    if (uploaded != lastUploaded) {
      lastUploaded = uploaded;
      Touch();
    }
    const bool sending =
        transfer->body && static_cast<curl_off_t>(transfer->body->size()) > uploaded;
    const int limit = sending ? sendMs : receiveMs;
    constexpr int kLookAgainMs = 100;
    if (limit <= 0) return kLookAgainMs;
    const std::int64_t left = lastActivity + limit - MonotonicMs();
    if (left < 0) {
      timedOut = true;
      return -1;
    }
    return static_cast<int>(std::min<std::int64_t>(left + 1, kLookAgainMs));
  }

  // Called once the connection is up, right before the request is sent: the
  // idle limits count from here, the connect limit covers what came before.
  static int OnConnected(void* user, char*, char*, int, int) {
    static_cast<RunningTransfer*>(user)->Touch();
    return CURL_PREREQFUNC_OK;
  }
};

// Drives the transfer to its end, or until the limits end it.
CURLcode Run(CURLM* multi, CURL* easy, RunningTransfer& running) {
  if (curl_multi_add_handle(multi, easy) != CURLM_OK) return CURLE_FAILED_INIT;
  CURLcode code = CURLE_ABORTED_BY_CALLBACK;
  for (;;) {
    int active = 0;
    if (curl_multi_perform(multi, &active) != CURLM_OK) {
      code = CURLE_FAILED_INIT;
      break;
    }
    int queued = 0;
    bool done = false;
    while (CURLMsg* message = curl_multi_info_read(multi, &queued)) {
      if (message->msg == CURLMSG_DONE && message->easy_handle == easy) {
        code = message->data.result;
        done = true;
      }
    }
    if (done) break;
    const int waitMs = running.CheckLimits();
    if (waitMs < 0) break;
    curl_multi_poll(multi, nullptr, 0, waitMs, nullptr);
  }
  // Removing a handle in the middle of a transfer closes its connection; a
  // finished transfer leaves the connection in the multi handle's cache.
  curl_multi_remove_handle(multi, easy);
  return code;
}

}  // namespace

HttpBackend::HttpBackend(HttpBackendOptions options) : options_(options) {
  InitialiseCurlOnce();
  shared_ = std::make_unique<SharedCache>();
}

HttpBackend::~HttpBackend() = default;

void HttpBackend::CancelAll() { cancelled_.store(true); }

int HttpBackend::Limit(int timeoutMs) const {
  const int ceiling = options_.timeoutCeilingMs;
  if (ceiling <= 0) return std::max(timeoutMs, 0);
  return timeoutMs > 0 ? std::min(timeoutMs, ceiling) : ceiling;
}

std::unique_ptr<HttpBackend::Handle> HttpBackend::TakeHandle() {
  {
    std::lock_guard lock(poolMutex_);
    if (!idle_.empty()) {
      // The most recently used handle first: its connection is the likeliest
      // to be still alive.
      std::unique_ptr<Handle> handle = std::move(idle_.back());
      idle_.pop_back();
      return handle;
    }
  }
  auto handle = std::make_unique<Handle>();
  handle->easy = curl_easy_init();
  handle->multi = curl_multi_init();
  if (!handle->easy || !handle->multi) return nullptr;
  return handle;
}

void HttpBackend::ReturnHandle(std::unique_ptr<Handle> handle) {
  std::lock_guard lock(poolMutex_);
  idle_.push_back(std::move(handle));
}

HttpTransferResult HttpBackend::Perform(const HttpTransfer& transfer, const HttpBodySink& sink) {
  HttpTransferResult result;
  if (cancelled_.load()) {
    result.error = "cancelled";
    return result;
  }
  std::unique_ptr<Handle> handle = TakeHandle();
  if (!handle) {
    result.error = "no transfer handle";
    return result;
  }
  CURL* easy = handle->easy;
  // A reset keeps the handle's live connections and caches, nothing else.
  curl_easy_reset(easy);

  RunningTransfer running;
  running.easy = easy;
  running.transfer = &transfer;
  running.sink = &sink;
  running.cancelled = &cancelled_;
  running.sendMs = Limit(transfer.timeouts.sendMs);
  running.receiveMs = Limit(transfer.timeouts.receiveMs);

  char errorText[CURL_ERROR_SIZE] = {};
  const std::string url = EncodeUrl(transfer.url);
  curl_easy_setopt(easy, CURLOPT_SHARE, shared_->share);
  curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, errorText);
  curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
  curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR,
                   transfer.allowFileUrls ? "http,https,file" : "http,https");
  curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  if (transfer.pathAsIs) curl_easy_setopt(easy, CURLOPT_PATH_AS_IS, 1L);
  // HTTP/1.1 only: header names then reach callers with the letter case the
  // server wrote, which the cookie collection depends on.
  curl_easy_setopt(easy, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
  // Bodies are handed over as received; chunked framing is still undone.
  curl_easy_setopt(easy, CURLOPT_HTTP_CONTENT_DECODING, 0L);

  if (transfer.body) {
    curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE_LARGE,
                     static_cast<curl_off_t>(transfer.body->size()));
    curl_easy_setopt(easy, CURLOPT_POSTFIELDS, transfer.body->data());
    if (transfer.method != "POST")
      curl_easy_setopt(easy, CURLOPT_CUSTOMREQUEST, transfer.method.c_str());
  } else if (transfer.method == "GET") {
    curl_easy_setopt(easy, CURLOPT_HTTPGET, 1L);
  } else if (transfer.method == "HEAD") {
    curl_easy_setopt(easy, CURLOPT_NOBODY, 1L);
  } else {
    curl_easy_setopt(easy, CURLOPT_CUSTOMREQUEST, transfer.method.c_str());
  }

  HeaderList headers;
  for (const std::string& line : transfer.headerLines)
    if (IsSendableHeaderLine(line)) headers.Add(line);
  // Empty entries keep libcurl from adding lines of its own; a caller's line
  // of the same name is still sent.
  headers.Add("Accept:");
  headers.Add("Expect:");
  if (transfer.body) headers.Add("Content-Type:");
  curl_easy_setopt(easy, CURLOPT_HTTPHEADER, headers.get());
  HeaderList proxyHeaders;
  if (!transfer.proxyHeaderLines.empty()) {
    for (const std::string& line : transfer.proxyHeaderLines)
      if (IsSendableHeaderLine(line)) proxyHeaders.Add(line);
    curl_easy_setopt(easy, CURLOPT_PROXYHEADER, proxyHeaders.get());
    curl_easy_setopt(easy, CURLOPT_HEADEROPT, CURLHEADER_SEPARATE);
  }

  // Each transfer starts from the caller's jar, or an empty one: a pooled
  // handle must not carry cookies from one caller to the next.
  curl_easy_setopt(easy, CURLOPT_COOKIEFILE, "");
  curl_easy_setopt(easy, CURLOPT_COOKIELIST, "ALL");
  if (transfer.cookieJar)
    for (const std::string& line : *transfer.cookieJar)
      curl_easy_setopt(easy, CURLOPT_COOKIELIST, line.c_str());
  if (transfer.cookie) curl_easy_setopt(easy, CURLOPT_COOKIE, transfer.cookie->c_str());

  switch (transfer.proxyMode) {
    case HttpProxyMode::kDirect:
      curl_easy_setopt(easy, CURLOPT_PROXY, "");
      break;
    case HttpProxyMode::kSystem:
      break;  // libcurl reads the proxy environment itself
    case HttpProxyMode::kServer:
      curl_easy_setopt(easy, CURLOPT_PROXY, transfer.proxyServer.c_str());
      break;
  }

  curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, transfer.followRedirects ? 1L : 0L);
  curl_easy_setopt(easy, CURLOPT_MAXREDIRS, static_cast<long>(transfer.maxRedirects));
  curl_easy_setopt(easy, CURLOPT_SSL_VERIFYPEER, transfer.verifyPeer ? 1L : 0L);
  curl_easy_setopt(easy, CURLOPT_SSL_VERIFYHOST, transfer.verifyHost ? 2L : 0L);
  curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS,
                   static_cast<long>(Limit(transfer.timeouts.connectMs)));

  curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &RunningTransfer::OnBody);
  curl_easy_setopt(easy, CURLOPT_WRITEDATA, &running);
  curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, &RunningTransfer::OnHeader);
  curl_easy_setopt(easy, CURLOPT_HEADERDATA, &running);
  curl_easy_setopt(easy, CURLOPT_PREREQFUNCTION, &RunningTransfer::OnConnected);
  curl_easy_setopt(easy, CURLOPT_PREREQDATA, &running);

  running.Touch();
  const CURLcode code = Run(handle->multi, easy, running);

  const HttpResponseHead head = running.Head();
  result.status = head.status;
  result.contentLength = head.contentLength;
  result.rawHeaders = running.finalHeaders;
  result.timedOut = running.timedOut;
  result.completed = code == CURLE_OK;
  if (result.completed && !running.pending.empty()) {
    result.completed = running.Deliver(running.pending);
    running.pending.clear();
  }
  if (!result.completed) {
    if (running.wasCancelled)
      result.error = "cancelled";
    else if (running.timedOut)
      result.error = "timed out";
    else if (running.sinkRefused)
      result.error = "the receiver refused the body";
    else
      result.error = errorText[0] ? errorText : curl_easy_strerror(code);
  }

  if (transfer.cookieJar) {
    transfer.cookieJar->clear();
    curl_slist* cookies = nullptr;
    if (curl_easy_getinfo(easy, CURLINFO_COOKIELIST, &cookies) == CURLE_OK) {
      for (curl_slist* item = cookies; item; item = item->next)
        transfer.cookieJar->push_back(item->data);
      curl_slist_free_all(cookies);
    }
  }
  // The lists and buffers above die with this call; the handle must not
  // point at them while it waits in the pool.
  curl_easy_setopt(easy, CURLOPT_HTTPHEADER, nullptr);
  curl_easy_setopt(easy, CURLOPT_PROXYHEADER, nullptr);
  curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, nullptr);
  curl_easy_setopt(easy, CURLOPT_COOKIELIST, "ALL");
  // The list of cookie files would be lost, not freed, by the next reset.
  curl_easy_setopt(easy, CURLOPT_COOKIEFILE, static_cast<char*>(nullptr));
  ReturnHandle(std::move(handle));
  return result;
}
