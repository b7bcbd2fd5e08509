#include "http/file_size_on_disk.h"

#include "platform/file_bytes_on_disk.h"

std::int64_t FileSizeOnDisk(const Text& path) { return FileBytesOnDisk(path); }
