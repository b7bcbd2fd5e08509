#include "http/gbk_spaces.h"

namespace {

constexpr std::string_view kIdeographicSpace = "\xA1\xA1";

// Length of the space at `pos`, 0 when the character there is not one.
size_t SpaceAt(std::string_view text, size_t pos) {
  if (text[pos] == ' ') return 1;
  if (text.substr(pos, 2) == kIdeographicSpace) return 2;
  return 0;
}

}  // namespace

Text TrimSpaces(std::string_view text) {
  size_t begin = 0;
  while (begin < text.size()) {
    const size_t space = SpaceAt(text, begin);
    if (space == 0) break;
    begin += space;
  }
  size_t end = begin;
  for (size_t pos = begin; pos < text.size();) {
    const size_t unit = GbkUnitLength(text, pos);
    if (SpaceAt(text, pos) == 0) end = pos + unit;
    pos += unit;
  }
  return Text(text.substr(begin, end - begin));
}

Text RemoveSpaces(std::string_view text) {
  Text out;
  out.reserve(text.size());
  for (size_t pos = 0; pos < text.size();) {
    const size_t unit = GbkUnitLength(text, pos);
    if (SpaceAt(text, pos) == 0) out.append(text.substr(pos, unit));
    pos += unit;
  }
  return out;
}
