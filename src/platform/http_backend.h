#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/http_transfer.h"

// The HTTP stack of one application instance, over libcurl. It keeps what
// requests share: a pool of libcurl handles, each with its kept-alive
// connections, so that consecutive requests of a thread reuse a connection
// (about one connection per concurrent caller, not one per request), and a
// DNS and TLS-session cache shared by all handles.
//
// All members may be called from any thread at once. The owner destroys the
// backend only after every call into it has returned.
struct HttpBackendOptions {
  // When above 0, no time-out of any transfer is longer than this, and a
  // transfer without limits gets this one. Tests use it to see time-outs fire
  // quickly; the application leaves it at 0.
  int timeoutCeilingMs = 0;
};

class HttpBackend {
 public:
  explicit HttpBackend(HttpBackendOptions options = {});
  ~HttpBackend();
  HttpBackend(const HttpBackend&) = delete;
  HttpBackend& operator=(const HttpBackend&) = delete;

  // Runs one transfer to its end on the calling thread, handing the body to
  // `sink` (which may be empty to drop it). Never throws; every failure is in
  // the result.
  HttpTransferResult Perform(const HttpTransfer& transfer, const HttpBodySink& sink);

  // Ends every transfer under way within a tenth of a second (each fails as
  // cancelled) and makes every later one fail at once. Irreversible.
  void CancelAll();
  bool cancelled() const { return cancelled_.load(); }

 private:
  struct Handle;
  struct SharedCache;

  std::unique_ptr<Handle> TakeHandle();
  void ReturnHandle(std::unique_ptr<Handle> handle);
  int Limit(int timeoutMs) const;

  HttpBackendOptions options_;
  std::atomic<bool> cancelled_{false};
  std::unique_ptr<SharedCache> shared_;
  std::mutex poolMutex_;
  std::vector<std::unique_ptr<Handle>> idle_;
};
