#include "platform/mapped_utf8.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "support/gbk_text.h"

namespace {

struct MappingCase {
  Text gbk;
  std::string utf8;
  // (UTF-8 position, GBK position) at every character boundary.
  std::vector<std::pair<size_t, size_t>> boundaries;
};

TEST(MappedUtf8, ConvertsAndMapsEveryBoundaryBack) {
  const MappingCase cases[] = {
      {"", "", {{0, 0}}},
      {"ab", "ab", {{0, 0}, {1, 1}, {2, 2}}},
      {"中a文",
       "\xE4\xB8\xAD"
       "a\xE6\x96\x87",
       {{0, 0}, {3, 2}, {4, 3}, {7, 5}}},
      // A four-byte GB18030 character (U+0080).
      {"\x81\x30\x81\x30"
       "b",
       "\xC2\x80"
       "b",
       {{0, 0}, {2, 4}, {3, 5}}},
      // Bytes that start no character: one U+FFFD each, the rest kept.
      {"\x80"
       "a\xFF",
       "\xEF\xBF\xBD"
       "a\xEF\xBF\xBD",
       {{0, 0}, {3, 1}, {4, 2}, {7, 3}}},
      // Valid characters beside a bad byte keep their own conversion.
      {"中\x80文", "\xE4\xB8\xAD\xEF\xBF\xBD\xE6\x96\x87", {{0, 0}, {3, 2}, {6, 3}, {9, 5}}},
      // Four bytes shaped like a character that GB18030 does not have.
      {"中\x84\x31\xA5\x30",
       "\xE4\xB8\xAD\xEF\xBF\xBD"
       "1\xEF\xBF\xBD"
       "0",
       {{0, 0}, {3, 2}, {6, 3}, {7, 4}, {10, 5}, {11, 6}}},
      // A lead byte followed by a byte that cannot end it, and one at the end.
      {"\x81"
       " \x81",
       "\xEF\xBF\xBD \xEF\xBF\xBD",
       {{0, 0}, {3, 1}, {4, 2}, {7, 3}}},
  };
  for (const MappingCase& c : cases) {
    const MappedUtf8 mapped(c.gbk);
    EXPECT_EQ(c.utf8, mapped.utf8()) << ToUtf8(c.gbk);
    for (auto [utf8, gbk] : c.boundaries)
      EXPECT_EQ(gbk, mapped.GbkOffset(utf8)) << ToUtf8(c.gbk) << " at " << utf8;
  }
}

TEST(MappedUtf8, ValidGbkMatchesTheSystemConversion) {
  const Text text = testing_support::Gbk(u8"#EXTINF:10,第一集 《片头》 ＡＢ　①\r\n");
  EXPECT_EQ(ToUtf8(text), MappedUtf8(text).utf8());
}

}  // namespace
