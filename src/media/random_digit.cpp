#include "media/random_digit.h"

#if defined(__x86_64__) || defined(__i386__)
#include <x86intrin.h>
#else
#include <chrono>
#endif

int DigitFromCounter(std::uint32_t counter) {
  std::uint32_t next = counter * 214013u + 2531011u;
  return static_cast<int>(((next >> 16) & 0x7FFFu) % 10u);
}

char RandomDigit() {
#if defined(__x86_64__) || defined(__i386__)
  auto counter = static_cast<std::uint32_t>(__rdtsc());
#else
  // Without a time-stamp counter the steady clock's ticks serve as well.
  auto counter =
      static_cast<std::uint32_t>(std::chrono::steady_clock::now().time_since_epoch().count());
#endif
  return static_cast<char>('0' + DigitFromCounter(counter));
}
