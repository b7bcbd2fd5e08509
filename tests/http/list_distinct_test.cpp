#include "http/list_distinct.h"

#include <gtest/gtest.h>

#include "http/text_items.h"
#include "support/gbk_text.h"

namespace {

using Items = std::vector<Text>;

TEST(CutItems, EverySeparatorEndsAnItemAndGbkCharactersStayWhole) {
  struct Case {
    Text text;
    Text separator;
    Items items;
  } const cases[] = {
      {"a=1;b=2", ";", {"a=1", "b=2"}},
      {"a;;b;", ";", {"a", "", "b"}},
      {";a", ";", {"", "a"}},
      {"", ";", {}},
      {"x=1; y=2; ", "; ", {"x=1", "y=2"}},
      // 0x81 0x7C is one GBK character whose second byte looks like "|".
      {"\x81|a|b", "|", {"\x81|a", "b"}},
      {"l1\r\nl2\r\n\r\nl3", "\r\n", {"l1", "l2", "", "l3"}},
  };
  for (const Case& c : cases) EXPECT_EQ(CutItems(c.text, c.separator), c.items) << c.text;
}

TEST(SplitCharacters, DoubleByteCharactersAndCrLfAreOneItem) {
  EXPECT_EQ(SplitCharacters("a中\r\nb\r"), (Items{"a", "中", "\r\n", "b", "\r"}));
  // A lead byte at the very end stands alone.
  EXPECT_EQ(SplitCharacters("a\x81"), (Items{"a", "\x81"}));
  EXPECT_EQ(SplitCharacters(""), Items{});
}

TEST(ListIndexOf, OneBasedExactMatchOrMinusOne) {
  const Items items = {"a", "b", "b"};
  EXPECT_EQ(ListIndexOf(items, "b"), 2);
  EXPECT_EQ(ListIndexOf(items, "B"), -1);
  EXPECT_EQ(ListIndexOf({}, "a"), -1);
}

TEST(ListDistinct, KeepsTheFirstOfEachItem) {
  struct Case {
    const char* text;
    const char* separator;
    bool bySeparator;
    const char* expected;
  } const cases[] = {
      {"xxyzx", ",", false, "x,y,z"},
      {"中文中", "", false, "中文"},
      {"a=1; b=2; a=1; A=1", "; ", true, "a=1; b=2; A=1"},
      {"x=1; x=2", "; ", true, "x=1; x=2"},
      {"", "; ", true, ""},
  };
  for (const Case& c : cases)
    EXPECT_TEXT_EQ(c.expected, ListDistinct(c.text, c.separator, c.bySeparator));
}

}  // namespace
