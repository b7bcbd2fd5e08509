#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "platform/text.h"

// Our literals are GBK bytes; these make failing comparisons readable.
// Compare two texts and show both as UTF-8 when they differ.
#define EXPECT_TEXT_EQ(expected, actual) \
  EXPECT_PRED_FORMAT2(::testing_support::TextEqual, expected, actual)
#define ASSERT_TEXT_EQ(expected, actual) \
  ASSERT_PRED_FORMAT2(::testing_support::TextEqual, expected, actual)

namespace testing_support {

inline ::testing::AssertionResult TextEqual(const char* /*expectedExpr*/, const char* actualExpr,
                                            std::string_view expected, std::string_view actual) {
  if (expected == actual) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << actualExpr << " is \"" << ToUtf8(actual)
                                       << "\", expected \"" << ToUtf8(expected) << "\"";
}

// UTF-8 source text as the GBK bytes the system uses (for texts built at run
// time from u8 literals).
inline Text Gbk(std::u8string_view utf8) {
  return FromUtf8(std::string_view(reinterpret_cast<const char*>(utf8.data()), utf8.size()));
}

}  // namespace testing_support
