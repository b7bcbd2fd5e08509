#include "http/download_to_file.h"

#include <chrono>
#include <limits>

#include "http/text_items.h"
#include "platform/output_file.h"

namespace {

// Milliseconds on the monotonic clock; only differences mean anything.
std::int64_t MonotonicMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

constexpr std::size_t kChunkBytes = 10240;
// The request sets no limits of its own; these are the HTTP stack's defaults.
constexpr int kTimeoutMs = 60000;

std::int32_t ContentLength32(std::int64_t length) {
  if (length < 0 || length > std::numeric_limits<std::int32_t>::max()) return 0;
  return static_cast<std::int32_t>(length);
}

}  // namespace

Text DownloadHeaderText(std::optional<std::int64_t> rangeStart) {
  Text text =
      "Accept: */*\r\nAccept-Language: zh-cn\r\nAccept-Encoding: gzip, deflate\r\n"
      "User-Agent: Mozilla/4.0(compatible; MSIE 6.0; Windows NT 5.0; MyIE2; .NET CLR 1.1.4322)";
  if (rangeStart) text += "\r\nRange:bytes=" + DecimalText(*rangeStart) + "-";
  return text;
}

int DownloadToFile(HttpBackend& backend, const Text& url, const Text& path,
                   const DownloadProgress& progress, std::optional<std::int64_t> rangeStart,
                   int* httpStatus) {
  HttpTransfer transfer;
  transfer.url = url;
  // The header text carries its own User-Agent line, which takes the place
  // of the session's agent.
  transfer.headerLines = CutItems(DownloadHeaderText(rangeStart), "\r\n");
  transfer.proxyMode = HttpProxyMode::kSystem;
  transfer.allowFileUrls = true;
  transfer.timeouts = {kTimeoutMs, kTimeoutMs, kTimeoutMs};
  transfer.chunkBytes = kChunkBytes;

  OutputFile file;
  bool fileFailed = false;
  // The file is opened when the first chunk is in, so that an address that
  // cannot be opened leaves an existing file untouched.
  auto openFile = [&] {
    if (!file.is_open() && !fileFailed) fileFailed = !file.Create(path);
    return !fileFailed;
  };
  std::int64_t received = 0;
  const std::int64_t start = MonotonicMs();
  const HttpTransferResult result =
      backend.Perform(transfer, [&](std::string_view chunk, const HttpResponseHead& head) {
        if (!openFile() || !file.Append(chunk)) return false;
        received += static_cast<std::int64_t>(chunk.size());
        std::int64_t elapsed = MonotonicMs() - start;
        if (elapsed == 0) elapsed = 30;
        if (progress)
          progress(ContentLength32(head.contentLength), static_cast<std::int32_t>(received),
                   static_cast<std::int32_t>(elapsed), static_cast<std::int32_t>(chunk.size()));
        return true;
      });
  if (httpStatus) *httpStatus = result.status;
  if (!result.completed) return -1;
  // An empty body still leaves an empty file.
  return openFile() ? 0 : -1;
}
