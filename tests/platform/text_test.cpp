#include "platform/text.h"

#include <gtest/gtest.h>

#include "support/gbk_text.h"

using testing_support::Gbk;

TEST(TextTest, GbkAndUtf8RoundTrip) {
  const Text gbk = "视频下载/正则=//[^\\s]*";
  EXPECT_EQ(ToUtf8(gbk), std::string(reinterpret_cast<const char*>(u8"视频下载/正则=//[^\\s]*")));
  EXPECT_EQ(FromUtf8(ToUtf8(gbk)), gbk);
  // "视" is two bytes in GBK.
  EXPECT_EQ(Text("视").size(), 2u);
  // A character outside GBK (an emoji) still round-trips through GB18030.
  const std::string emoji = reinterpret_cast<const char*>(u8"a😀b");
  EXPECT_EQ(ToUtf8(FromUtf8(emoji)), emoji);
}

TEST(TextTest, InvalidBytesKeepTheValidPartsAround) {
  const Text broken = Text("ab") + "\xFF" + "视" + "\x81";
  EXPECT_EQ(ToUtf8(broken),
            std::string("ab\xEF\xBF\xBD") + reinterpret_cast<const char*>(u8"视") + "\xEF\xBF\xBD");
  EXPECT_EQ(FromUtf8("x\xC3y"), "x?y");
}

TEST(TextTest, LeadingInteger) {
  struct Case {
    const char* text;
    int value;
  } cases[] = {{"10", 10}, {"  7abc", 7}, {"-3", -3},
               {"+4", 4},  {"abc", 0},    {"", 0},
               {"0", 0},   {"12 34", 12}, {"99999999999", 2147483647},
               {"- 5", 0}};
  for (const Case& c : cases) EXPECT_EQ(LeadingInteger(c.text), c.value) << c.text;
}

TEST(TextTest, FoldAsciiCaseLeavesGbkTrailBytes) {
  // The second byte of "乀" (0x81 0x41) looks like "A" and must stay.
  const Text text = Text("AbC") + "\x81\x41" + "D";
  EXPECT_EQ(FoldAsciiCase(text), Text("abc") + "\x81\x41" + "d");
}
