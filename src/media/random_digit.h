#pragma once

#include <cstdint>

// The digit that stands in for a hundredths digit the transcoder's output
// cut off: one step of the classic linear congruential generator (multiply
// by 214013, add 2531011, modulo 2^32), bits 16 to 30, modulo 10.
int DigitFromCounter(std::uint32_t counter);

// DigitFromCounter of the low 32 bits of the processor's time-stamp counter,
// as a character '0'..'9'. Keeps no state; any thread.
char RandomDigit();
