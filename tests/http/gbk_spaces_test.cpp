#include "http/gbk_spaces.h"

#include <gtest/gtest.h>

#include "support/gbk_text.h"

namespace {

TEST(GbkSpaces, TrimAndRemoveAsciiAndIdeographicSpaces) {
  struct Case {
    const char* text;
    const char* trimmed;
    const char* removed;
  } const cases[] = {
      {"  a b  ", "a b", "ab"},
      {"　值　", "值", "值"},
      {" 　中 文　 ", "中 文", "中文"},
      {"", "", ""},
      {"   ", "", ""},
      {"　", "", ""},
      // 啊 is B0 A1 and 。 A1 A3: the A1 A1 across them is no space, nor is
      // the one made by the trail of 啊 and a final lone A1.
      {"啊。", "啊。", "啊。"},
      {"啊\xA1", "啊\xA1", "啊\xA1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(ToUtf8(c.text));
    EXPECT_TEXT_EQ(c.trimmed, TrimSpaces(c.text));
    EXPECT_TEXT_EQ(c.removed, RemoveSpaces(c.text));
  }
}

}  // namespace
