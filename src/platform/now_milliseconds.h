#pragma once

#include <cstdint>

// Milliseconds on a monotonic clock that never jumps with the wall clock.
// Only differences between two readings mean anything. Safe from any thread.
std::int64_t NowMilliseconds();
