#include "media/ensure_transcoder.h"

#include <sys/stat.h>

#include "http/download_to_file.h"
#include "http/file_size_on_disk.h"
#include "platform/files.h"

int EnsureTranscoder(AppContext& context) {
  const Text path = context.TranscoderPath();
  const std::int64_t expected = context.transcoder.expectedSize;
  if (FileSizeOnDisk(path) == expected) return 1;
  const MessageAnswer answer =
      context.desktop.ShowMessage({"亲，检测到未安装转码运行库，是否自动安装？", "温馨提示：",
                                   MessageButtons::YesNo, MessageIcon::Error});
  if (answer != MessageAnswer::Yes) return 0;
  ShowInfo(context.desktop, "需要等待提示安装成功！", MessageIcon::Warning);
  CreateOneDirectory(context.DataDirectory());
  const int result = DownloadToFile(context.http, context.transcoder.url, path,
                                    [](std::int32_t, std::int32_t, std::int32_t, std::int32_t) {});
  if (result != -1 && FileSizeOnDisk(path) == expected) {
    ::chmod(ToUtf8(path).c_str(), 0755);
    ShowInfo(context.desktop, "安装成功！", MessageIcon::Information);
  } else {
    DeleteFileAt(path);
    ShowInfo(context.desktop, "安装失败！", MessageIcon::Error);
  }
  return 1;
}
