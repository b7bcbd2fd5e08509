#include "platform/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

namespace {

std::string Os(const Text& path) { return ToUtf8(path); }

bool WriteAll(int fd, std::string_view bytes) {
  const char* data = bytes.data();
  size_t left = bytes.size();
  while (left > 0) {
    ssize_t written = ::write(fd, data, left);
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += written;
    left -= static_cast<size_t>(written);
  }
  return true;
}

}  // namespace

bool FileExists(const Text& path) {
  struct stat st;
  return ::stat(Os(path).c_str(), &st) == 0;
}

bool IsDirectory(const Text& path) {
  struct stat st;
  return ::stat(Os(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool MakeDirectoryPath(const Text& path) {
  std::string os = Os(path);
  if (os.empty() || os.back() != kPathSeparator) os.push_back(kPathSeparator);
  // Create each level up to the last separator.
  for (size_t pos = 1; pos < os.size(); ++pos) {
    if (os[pos] != kPathSeparator) continue;
    std::string level = os.substr(0, pos);
    if (::mkdir(level.c_str(), 0777) != 0 && errno != EEXIST) {
      struct stat st;
      if (::stat(level.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
    }
  }
  struct stat st;
  return ::stat(os.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool CreateOneDirectory(const Text& path) { return ::mkdir(Os(path).c_str(), 0777) == 0; }

std::optional<std::string> ReadWholeFile(const Text& path) {
  int fd = ::open(Os(path).c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  std::string content;
  struct stat st;
  if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0)
    content.reserve(static_cast<size_t>(st.st_size));
  char buffer[65536];
  for (;;) {
    ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got < 0) {
      if (errno == EINTR) continue;
      ::close(fd);
      return std::nullopt;
    }
    if (got == 0) break;
    content.append(buffer, static_cast<size_t>(got));
  }
  ::close(fd);
  return content;
}

bool WriteWholeFile(const Text& path, std::string_view bytes) {
  int fd = ::open(Os(path).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) return false;
  bool ok = WriteAll(fd, bytes);
  if (::close(fd) != 0) ok = false;
  return ok;
}

bool WriteFileAtomically(const Text& path, std::string_view bytes) {
  static std::atomic<unsigned> counter{0};  // only makes temporary names unique
  std::string target = Os(path);
  std::string temporary =
      target + ".part" + std::to_string(::getpid()) + "_" + std::to_string(counter.fetch_add(1));
  int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) return false;
  bool ok = WriteAll(fd, bytes);
  if (ok && ::fsync(fd) != 0) ok = false;
  if (::close(fd) != 0) ok = false;
  if (ok && ::rename(temporary.c_str(), target.c_str()) != 0) ok = false;
  if (!ok) ::unlink(temporary.c_str());
  return ok;
}

bool DeleteFileAt(const Text& path) { return ::unlink(Os(path).c_str()) == 0; }

bool RenameNoReplace(const Text& from, const Text& to) {
  return ::renameat2(AT_FDCWD, Os(from).c_str(), AT_FDCWD, Os(to).c_str(), RENAME_NOREPLACE) == 0;
}

bool RenameReplacing(const Text& from, const Text& to) {
  return ::rename(Os(from).c_str(), Os(to).c_str()) == 0;
}

std::int64_t FileSize(const Text& path) {
  struct stat st;
  if (::stat(Os(path).c_str(), &st) != 0) return -1;
  return st.st_size;
}

std::vector<Text> FindFiles(const Text& searchText) {
  Text pattern = searchText;
  if (pattern.size() >= 3 && pattern.compare(pattern.size() - 3, 3, "*.*") == 0)
    pattern.resize(pattern.size() - 3);
  else if (!pattern.empty() && pattern.back() == '*')
    pattern.pop_back();
  size_t slash = pattern.rfind(kPathSeparator);
  Text directory = slash == Text::npos ? Text(".") : pattern.substr(0, slash + 1);
  Text prefix = slash == Text::npos ? pattern : pattern.substr(slash + 1);
  std::vector<Text> names;
  std::string osDirectory = Os(directory);
  DIR* dir = ::opendir(osDirectory.c_str());
  if (!dir) return names;
  while (dirent* entry = ::readdir(dir)) {
    std::string osName = entry->d_name;
    if (osName == "." || osName == "..") continue;
    Text name = FromUtf8(osName);
    if (name.compare(0, prefix.size(), prefix) != 0) continue;
    struct stat st;
    std::string full = osDirectory;
    if (!full.empty() && full.back() != kPathSeparator) full.push_back(kPathSeparator);
    full += osName;
    if (::stat(full.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) continue;
    names.push_back(std::move(name));
  }
  ::closedir(dir);
  return names;
}
