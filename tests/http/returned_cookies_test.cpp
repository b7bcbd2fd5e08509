#include "http/returned_cookies.h"

#include <gtest/gtest.h>

#include "support/gbk_text.h"

namespace {

TEST(CollectReturnedCookies, NameValueOfEverySetCookieLineInOrder) {
  struct Case {
    const char* headers;
    const char* cookies;
  } const cases[] = {
      {"Set-Cookie: a=1; path=/\r\nContent-Type: text/plain\r\nSet-Cookie: b=2\r\n\r\n",
       "a=1; b=2"},
      {"set-cookie: k=3\r\n", ""},
      {"SET-COOKIE: k=3\r\n", ""},
      {"X-Set-Cookie: a=1\r\n", ""},
      {"Set-Cookie:a=1\r\n", ""},  // no ": " after the name
      {"Set-Cookie:  c=3  \r\n", "c=3"},
      {"Set-Cookie: s=a b; HttpOnly\r\n", "s=a b"},
      {"Set-Cookie: 名=值\r\n", "名=值"},
      {"", ""},
  };
  for (const Case& c : cases) EXPECT_TEXT_EQ(c.cookies, CollectReturnedCookies(c.headers));
}

}  // namespace
