#include "media/merge_task.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "download/segment_directory.h"
#include "media/transcode_task.h"
#include "platform/files.h"
#include "tasks/task_list.h"
#include "tasks/task_status.h"

namespace {

bool WriteAll(int fd, const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t written = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    done += static_cast<size_t>(written);
  }
  return true;
}

// Joins segment files 0 … N−1 into `path`. False when the merged file could
// not be created or fully written; the partial file is then removed and the
// segment files stay untouched.
bool JoinSegments(AppContext& context, const Text& path) {
  const std::string osPath = ToUtf8(path);
  int fd = ::open(osPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) return false;
  ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
  const Text directory = context.TempDirectory();
  const int segments = context.window.超级列表框_下载列表.RowCount();
  bool ok = true;
  for (int k = 0; k < segments && ok; ++k) {
    // A missing segment file contributes nothing.
    const std::string bytes = ReadWholeFile(directory + SegmentFileName(k)).value_or("");
    ok = WriteAll(fd, bytes);
  }
  if (ok && ::fsync(fd) != 0) ok = false;
  if (::close(fd) != 0) ok = false;
  if (!ok) ::unlink(osPath.c_str());
  return ok;
}

}  // namespace

void DeleteSegmentFiles(AppContext& context, ListView::RowId task) {
  SetTaskStatus(context, task, task_status::kDeletingTemp);
  const Text directory = context.TempDirectory();
  const int segments = context.window.超级列表框_下载列表.RowCount();
  for (int k = 0; k < segments; ++k) DeleteFileAt(directory + SegmentFileName(k));
}

void ConcatenateSegments(AppContext& context, const Text& name, ListView::RowId task) {
  const Text path = TaskCell(context, task, task_column::kSaveDirectory) + name;
  if (!JoinSegments(context, path)) {
    // Nothing is lost: the segments stay for the next try of the task.
    SetTaskStatus(context, task, task_status::kMergeFailed);
    return;
  }
  context.window.进度条1.SetPosition(-1);
  DeleteSegmentFiles(context, task);
  SetTaskStatus(context, task, task_status::kTranscodeStarting);
  if (TranscodeTask(context, task)) SetTaskStatus(context, task, task_status::kFinished);
}

void MergeTask(AppContext& context, ListView::RowId task) {
  if (context.window.超级列表框_下载列表.RowCount() == 0) {
    ShowInfo(context.desktop, "不可以合并");
    return;
  }
  const Text name = TaskCell(context, task, task_column::kFileName) + ".mp4";
  const Text path = TaskCell(context, task, task_column::kSaveDirectory) + name;
  if (FileExists(path) && !DeleteFileAt(path)) return;
  ConcatenateSegments(context, name, task);
}
