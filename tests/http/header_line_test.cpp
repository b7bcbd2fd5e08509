#include "http/header_line.h"

#include <gtest/gtest.h>

#include "support/gbk_text.h"

namespace {

TEST(HeaderLine, NameAndValueAroundTheFirstColon) {
  struct Case {
    const char* line;
    const char* name;
    const char* value;
  } const cases[] = {
      {"Accept: */*", "Accept", "*/*"},  {"  X-Key :  a b  ", "X-Key", "a b"},
      {"　名称　:　值　", "名称", "值"}, {"Referer: http://h:80/p", "Referer", "http://h:80/p"},
      {":value", "", "value"},           {"Name:", "Name", ""},
      {"no colon here", "", ""},         {"", "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(ToUtf8(c.line));
    EXPECT_TEXT_EQ(c.name, HeaderName(c.line));
    EXPECT_TEXT_EQ(c.value, HeaderValue(c.line));
  }
}

}  // namespace
