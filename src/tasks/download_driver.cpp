#include "tasks/download_driver.h"

#include <atomic>
#include <vector>

#include "download/segment_directory.h"
#include "download/segment_fetcher.h"
#include "download/worker_pool.h"
#include "media/merge_task.h"
#include "tasks/task_list.h"
#include "tasks/task_status.h"

namespace {

constexpr int kRunning = 1;

// Gives up on the download: the task keeps "开始下载" and is taken up again
// by a later pass; later tasks can still be downloaded.
void GiveUp(AppContext& context) {
  if (context.shared.closing) context.pool.Stop(0);
  context.shared.DownloadIdle = true;
}

bool AllSegmentsDone(ListView& segments) {
  const int rows = segments.RowCount();
  for (int row = 0; row < rows; ++row)
    if (segments.GetCell(row, segment_column::kStatus) != segment_status::kDone) return false;
  return true;
}

}  // namespace

Text TaskKey(AppContext& context, ListView::RowId task) {
  return TaskCell(context, task, task_column::kSaveDirectory) + "\t" +
         TaskCell(context, task, task_column::kFileName);
}

void DriveDownload(AppContext& context, ListView::RowId task) {
  MainWindow& window = context.window;
  ListView& segments = window.超级列表框_下载列表;
  WorkerPool& pool = context.pool;
  SetTaskStatus(context, task, task_status::kDownloading);
  context.shared.DownloadIdle = false;
  int threadCount = LeadingInteger(window.编辑框_线程数.text());
  const int total = segments.RowCount();
  if (threadCount > total) threadCount = total;

  std::vector<Text> addresses;
  addresses.reserve(total);
  for (int row = 0; row < total; ++row)
    addresses.push_back(segments.GetCell(row, segment_column::kAddress));
  PrepareSegmentDirectory(context.TempDirectory(), TaskKey(context, task), addresses);

  pool.Start(threadCount);
  const auto contextArgument = reinterpret_cast<std::intptr_t>(&context);
  std::atomic<int> next{0};
  while (next < total) {
    int free = pool.GetIdleCount();
    while (free == 0) {
      if (pool.GetState() != kRunning || context.shared.closing) return GiveUp(context);
      // Wakes as soon as a worker finishes an item, at the latest after
      // 50 ms: no worker idles waiting for the next poll.
      pool.WaitForItemDone(50);
      free = pool.GetIdleCount();
    }
    for (; free > 0 && next < total; --free) {
      pool.Post(&FetchSegmentItem, next.load(), contextArgument);
      next.fetch_add(1);
      segments.EnsureVisible(next);
      context.desktop.ProcessPendingEvents();
    }
  }
  while (!pool.IsIdle()) {
    if (pool.GetState() != kRunning || context.shared.closing) return GiveUp(context);
    context.desktop.ProcessPendingEvents();
    pool.WaitForItemDone(50);
  }
  pool.Stop(0);
  context.shared.DownloadIdle = true;
  if (context.shared.closing) return;
  // A segment that did not arrive is never merged over: the task waits for a
  // resume, which fetches only the rows whose files are missing.
  if (!AllSegmentsDone(segments)) {
    SetTaskStatus(context, task, task_status::kDownloadFailed);
    return;
  }
  SetTaskStatus(context, task, task_status::kMerging);
  MergeTask(context, task);
  context.desktop.ProcessPendingEvents();
}
