#pragma once

#include <cstdint>

#include "platform/text.h"

// The bytes a file occupies: its size, or the space allocated to it when that
// is less (a sparse file). -1 when the file cannot be examined (also when it
// does not exist). Any thread.
std::int64_t FileBytesOnDisk(const Text& path);
