#pragma once

#include <cstdint>

#include "platform/text.h"

// How many bytes the file occupies on disk: its size, or less for a sparse
// file; -1 when it cannot be read, as for a file that does not exist.
std::int64_t FileSizeOnDisk(const Text& path);
