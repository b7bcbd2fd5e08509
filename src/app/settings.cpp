#include "app/settings.h"

#include <pwd.h>
#include <unistd.h>

#include <vector>

#include "platform/files.h"
#include "platform/profile.h"

namespace {

const Text kSection = "软件设置";
const Text kSaveDirectoryKey = "下载地址";
const Text kPatternKey = "正则";
const Text kThreadCountKey = "线程数";
const Text kPrefixKey = "地址或头";

}  // namespace

Text DefaultSaveDirectory() {
  std::vector<char> buffer(16384);
  passwd entry;
  passwd* found = nullptr;
  Text home;
  if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found &&
      found->pw_dir)
    home = FromUtf8(found->pw_dir);
  while (!home.empty() && home.back() == '/') home.pop_back();
  return home + "/视频下载/";
}

std::string DefaultSettingsFile(const Text& saveDirectory) {
  return "[" + kSection + "]\r\n" + kSaveDirectoryKey + "=" + saveDirectory + "\r\n" + kPatternKey +
         "=//[^\\s]*\r\n" + kThreadCountKey + "=10\r\n" + kPrefixKey + "=http:\r\n";
}

void LoadSettings(AppContext& context) {
  const Text dataDirectory = context.DataDirectory();
  const Text path = context.SettingsPath();
  if (!IsDirectory(dataDirectory)) MakeDirectoryPath(dataDirectory);
  if (!FileExists(path)) WriteFileAtomically(path, DefaultSettingsFile(DefaultSaveDirectory()));
  // All four keys are read before the first fill: each fill saves all four
  // boxes, which would otherwise overwrite keys not yet read.
  const Text saveDirectory = ReadProfileString(kSection, kSaveDirectoryKey, path);
  const Text pattern = ReadProfileString(kSection, kPatternKey, path);
  const Text threadCount = ReadProfileString(kSection, kThreadCountKey, path);
  const Text prefix = ReadProfileString(kSection, kPrefixKey, path);
  MainWindow& window = context.window;
  window.编辑框_保存位置.SetText(saveDirectory);
  window.编辑框_正则.SetText(pattern);
  window.编辑框_线程数.SetText(threadCount);
  window.编辑框_地址或头.SetText(prefix);
}

void SaveSettings(AppContext& context) {
  const Text path = context.SettingsPath();
  MainWindow& window = context.window;
  WriteProfileStrings(kSection,
                      {{kSaveDirectoryKey, window.编辑框_保存位置.text()},
                       {kPatternKey, window.编辑框_正则.text()},
                       {kThreadCountKey, window.编辑框_线程数.text()},
                       {kPrefixKey, window.编辑框_地址或头.text()}},
                      path);
}
