#include "media/random_digit.h"

#include <gtest/gtest.h>

namespace {

TEST(RandomDigit, OneGeneratorStepOfTheCounter) {
  // 0 * 214013 + 2531011 = 0x269EC3; bits 16..30 = 0x26 = 38; 38 % 10 = 8.
  EXPECT_EQ(8, DigitFromCounter(0));
  // 1 gives 2745024 = 0x29E2C0 -> 0x29 = 41 -> 1.
  EXPECT_EQ(1, DigitFromCounter(1));
  // The product wraps modulo 2^32: 0xFFFFFFFF gives 2316998 = 0x235AC6 -> 0x23 = 35 -> 5.
  EXPECT_EQ(5, DigitFromCounter(0xFFFFFFFFu));
  char digit = RandomDigit();
  EXPECT_TRUE(digit >= '0' && digit <= '9');
}

}  // namespace
