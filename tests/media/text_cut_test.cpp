#include "media/text_cut.h"

#include <gtest/gtest.h>

#include "support/gbk_text.h"

namespace {

struct BetweenCase {
  const char* text;
  const char* left;
  const char* right;
  const char* expected;
};

TEST(TextCut, TextBetweenCutsAfterTheFirstLeftAtTheNextRight) {
  const BetweenCase cases[] = {
      {"Duration: 00:01:02.50, start: 0.0", "Duration: ", ",", "00:01:02.50"},
      {"a[x]b[y]", "[", "]", "x"},
      {"other streams:global", "other streams:", "global", ""},  // right follows left
      {"no left here", "[", "]", ""},
      {"left [ but no right", "[", "]", ""},
      {"]x[", "[", "]", ""},                      // a right before the left does not count
      {"a=b=c", "=", "=", "b"},                   // right is searched after left
      {"名字=\"值\";", "=#引号", "#引号", "值"},  // "#引号" names a quote
      {"x#引号y#引号z", "#引号", "#引号", ""},    // it is never searched for itself
      {"中文：值，尾", "：", "，", "值"},
  };
  for (const BetweenCase& c : cases)
    EXPECT_TEXT_EQ(c.expected, TextBetween(c.text, c.left, c.right)) << ToUtf8(c.text);
}

TEST(TextCut, TextBeforeAndTextAfterLast) {
  EXPECT_TEXT_EQ("00:01:02.50", TextBefore("00:01:02.50, start: 0.0, x", ","));
  EXPECT_TEXT_EQ("", TextBefore(",start", ","));
  EXPECT_TEXT_EQ("", TextBefore("no comma", ","));
  EXPECT_TEXT_EQ("00:01:02.5", TextAfterLast("Duration: 1, Duration: 00:01:02.5", "Duration: "));
  EXPECT_TEXT_EQ("", TextAfterLast("ends with Duration: ", "Duration: "));
  EXPECT_TEXT_EQ("", TextAfterLast("nothing", "Duration: "));
}

}  // namespace
