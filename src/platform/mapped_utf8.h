#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/text.h"

// A GBK text converted to UTF-8, together with the means to find the GBK
// bytes behind any UTF-8 position. Unlike ToUtf8, nothing is lost: every
// byte that is not part of a valid GBK (GB18030) character becomes one
// U+FFFD of its own, so a range of the UTF-8 text always maps back to the
// exact original bytes, the invalid ones included. Immutable once built; any
// thread may read it.
class MappedUtf8 {
 public:
  explicit MappedUtf8(std::string_view gbk);

  const std::string& utf8() const { return utf8_; }

  // The GBK byte position that corresponds to a UTF-8 position. The position
  // must lie on a character boundary of utf8() (0 to utf8().size()); inside a
  // character the result is meaningless but never beyond the GBK length.
  std::size_t GbkOffset(std::size_t utf8Offset) const;

 private:
  // The fast way for valid GBK: one conversion, then one walk pairing the
  // characters. False when the text needs the careful way.
  bool ConvertAtOnce(std::string_view gbk);

  std::string utf8_;
  std::size_t gbkSize_ = 0;
  // (UTF-8 position, GBK position) just after each non-ASCII character, in
  // order. Between two entries every byte is ASCII and stands unchanged in
  // both texts, so an all-ASCII text needs no entry at all.
  std::vector<std::pair<std::size_t, std::size_t>> afterWide_;
};
