#include "platform/output_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

OutputFile::~OutputFile() { Close(); }

bool OutputFile::Create(const Text& path) {
  Close();
  fd_ = ::open(ToUtf8(path).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  return fd_ >= 0;
}

bool OutputFile::Append(std::string_view bytes) {
  if (fd_ < 0) return false;
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd_, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.remove_prefix(static_cast<size_t>(written));
  }
  return true;
}

void OutputFile::Close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}
