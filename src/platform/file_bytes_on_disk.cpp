#include "platform/file_bytes_on_disk.h"

#include <sys/stat.h>

#include <algorithm>

std::int64_t FileBytesOnDisk(const Text& path) {
  struct stat st;
  if (::stat(ToUtf8(path).c_str(), &st) != 0) return -1;
  // st_blocks counts 512-byte units whatever the file system's block size.
  const std::int64_t allocated = static_cast<std::int64_t>(st.st_blocks) * 512;
  return std::min<std::int64_t>(st.st_size, allocated);
}
