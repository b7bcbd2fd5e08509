#include "platform/regex_engine.h"

#include <gtest/gtest.h>

#include "support/gbk_text.h"

namespace {

TEST(RegexEngine, MatchPositionsCountGbkBytesFromZero) {
  RegexEngine engine;
  engine.SetGlobal(true);
  engine.SetPattern("([a-z]+)(\\d)?");
  auto matches = engine.Execute("中文ab中c1");
  ASSERT_NE(nullptr, matches);
  ASSERT_EQ(2, matches->Count());
  EXPECT_EQ(2, matches->GroupCount());

  auto first = matches->Item(0);
  ASSERT_TRUE(first);
  EXPECT_TEXT_EQ("ab", first->value);
  EXPECT_EQ(4, first->firstIndex);
  EXPECT_EQ(2, first->length);
  ASSERT_EQ(2u, first->subMatches.size());
  EXPECT_TEXT_EQ("", first->subMatches[1]);

  auto second = matches->Item(1);
  ASSERT_TRUE(second);
  EXPECT_TEXT_EQ("c1", second->value);
  EXPECT_EQ(8, second->firstIndex);
  EXPECT_EQ(2, second->length);
  EXPECT_TEXT_EQ("1", second->subMatches[1]);

  EXPECT_FALSE(matches->Item(2));
  EXPECT_FALSE(matches->Item(-1));
}

TEST(RegexEngine, PropertyChangesTakeEffectAtTheNextSearch) {
  RegexEngine engine;
  EXPECT_FALSE(engine.IgnoreCase());
  EXPECT_FALSE(engine.Multiline());
  EXPECT_FALSE(engine.Global());
  engine.SetPattern("^a");
  ASSERT_EQ(1, engine.Execute("a\nA\na")->Count());
  engine.SetMultiline(true);
  engine.SetGlobal(true);
  ASSERT_EQ(2, engine.Execute("a\nA\na")->Count());
  engine.SetIgnoreCase(true);
  ASSERT_EQ(3, engine.Execute("a\nA\na")->Count());
  engine.SetPattern("(");
  EXPECT_EQ(nullptr, engine.Execute("a"));
  EXPECT_FALSE(engine.Replace("a", "b"));
  engine.SetPattern("A$");
  ASSERT_EQ(3, engine.Execute("a\nA\na")->Count());
}

}  // namespace
