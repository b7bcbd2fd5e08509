#include "http/cookie_merge.h"

#include <gtest/gtest.h>

#include "support/gbk_text.h"

namespace {

TEST(CookieMerge, NewCookiesFirstThenOldOnesWithNewNames) {
  struct Case {
    const char* oldCookies;
    const char* newCookies;
    const char* merged;
  } const cases[] = {
      {"a=1; b=2", "b=3; d=4", "b=3; d=4; a=1"},
      {"a=1; b=2", "a=deleted", "b=2"},
      {"a=1; a=2", "", "a=1"},
      {"", "x=1", "x=1"},
      {"a=1", "", "a=1"},
      {"", "x=1; x=1", "x=1"},
      {"", "x=1; x=2", "x=1; x=2"},
      {"k=a b", "", "k=ab"},
      {"k=a　b", "", "k=ab"},
      {"A=1", "a=2", "a=2; A=1"},
      {"s=值", "t=2", "t=2; s=值"},
      {"", "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(ToUtf8(std::string(c.oldCookies) + " | " + c.newCookies));
    Text oldCookies = c.oldCookies;
    Text newCookies = c.newCookies;
    EXPECT_TEXT_EQ(c.merged, CookieMerge(oldCookies, newCookies));
    EXPECT_TEXT_EQ(c.merged, oldCookies);
  }
}

TEST(CookieMerge, RemovesSpacesFromBothCallerVariables) {
  Text oldCookies = "a = 1";
  Text newCookies = " b=2 ; c=3";
  CookieMerge(oldCookies, newCookies);
  EXPECT_TEXT_EQ("b=2;c=3", newCookies);
  EXPECT_TEXT_EQ("b=2; c=3; a=1", oldCookies);
}

TEST(CookieName, TextBeforeTheFirstEqualsSignTrimmed) {
  EXPECT_TEXT_EQ("a", CookieName(" a = 1=2"));
  EXPECT_TEXT_EQ("flag", CookieName("　flag "));
  EXPECT_TEXT_EQ("", CookieName("=v"));
  EXPECT_TRUE(CookieListHasName({"x=1", "B=2"}, "B"));
  EXPECT_FALSE(CookieListHasName({"x=1", "B=2"}, "b"));
  EXPECT_FALSE(CookieListHasName({}, ""));
}

}  // namespace
