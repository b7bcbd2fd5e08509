#include "download/segment_fetcher.h"

#include <chrono>
#include <thread>

#include "download/segment_directory.h"
#include "http/win_http_request_call.h"
#include "platform/files.h"
#include "tasks/task_status.h"

namespace {

// A status worth trying again: no response at all, or the server's word that
// it is busy or failing for now.
bool IsTransient(int status) { return status == 0 || status == 429 || status >= 500; }

}  // namespace

void FetchSegment(AppContext& context, int row) {
  ListView& segments = context.window.超级列表框_下载列表;
  const Text directory = context.TempDirectory();
  if (!IsDirectory(directory)) MakeDirectoryPath(directory);
  const Text address = segments.GetCell(row, segment_column::kAddress);
  if (address.empty()) {
    segments.SetCell(row, segment_column::kStatus, segment_status::kNoAddress);
    return;
  }
  const Text path = directory + SegmentFileName(row);
  if (!FileExists(path)) {
    bool stored = false;
    for (int attempt = 1; attempt <= kSegmentAttempts && !context.shared.closing; ++attempt) {
      const WinHttpResponse response = WinHttpRequestCall(context.http, address, 0);
      if (response.status >= 200 && response.status <= 299) {
        // The body goes to a temporary name first, so that a file under the
        // row's name is always a complete segment, even after a crash.
        const Text part = directory + SegmentPartName(row);
        stored = WriteWholeFile(part, response.body) && RenameReplacing(part, path);
        if (!stored) DeleteFileAt(part);
        break;
      }
      if (!IsTransient(response.status) || attempt == kSegmentAttempts) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(kSegmentRetryPauseMs * attempt));
    }
    if (!stored) {
      segments.SetCell(row, segment_column::kStatus, segment_status::kFailed);
      return;
    }
  }
  segments.SetCell(row, segment_column::kStatus, segment_status::kDone);
  context.shared.SegmentDoneCount.fetch_add(1);
}

void FetchSegmentItem(std::intptr_t row, std::intptr_t context) {
  FetchSegment(*reinterpret_cast<AppContext*>(context), static_cast<int>(row));
}
