#include "platform/mapped_utf8.h"

#include <iconv.h>

#include <algorithm>

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

bool InRange(unsigned char c, unsigned char low, unsigned char high) {
  return c >= low && c <= high;
}

// Length of the GB18030 character that starts at `at` judged by its byte
// ranges alone (two bytes, or four for the extension), or 0 when the bytes
// cannot form one. iconv still decides whether the character exists.
std::size_t WideCharLength(std::string_view text, std::size_t at) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[at + k]); };
  const std::size_t left = text.size() - at;
  if (!InRange(byte(0), 0x81, 0xFE) || left < 2) return 0;
  if (InRange(byte(1), 0x40, 0x7E) || InRange(byte(1), 0x80, 0xFE)) return 2;
  if (InRange(byte(1), 0x30, 0x39) && left >= 4 && InRange(byte(2), 0x81, 0xFE) &&
      InRange(byte(3), 0x30, 0x39))
    return 4;
  return 0;
}

// Converts one GB18030 character; false (and nothing appended) when iconv
// does not know it.
bool AppendConverted(iconv_t cd, std::string_view character, std::string& out) {
  char buffer[8];
  char* in = const_cast<char*>(character.data());
  std::size_t inLeft = character.size();
  char* outPtr = buffer;
  std::size_t outLeft = sizeof buffer;
  const bool ok =
      iconv(cd, &in, &inLeft, &outPtr, &outLeft) != static_cast<std::size_t>(-1) && inLeft == 0;
  if (!ok) {
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    return false;
  }
  out.append(buffer, static_cast<std::size_t>(outPtr - buffer));
  return true;
}

}  // namespace

MappedUtf8::MappedUtf8(std::string_view gbk) : gbkSize_(gbk.size()) {
  utf8_.reserve(gbk.size() + gbk.size() / 4);
  // Opened at the first non-ASCII byte: playlists are mostly ASCII.
  iconv_t cd = reinterpret_cast<iconv_t>(-1);
  bool opened = false;
  std::size_t i = 0;
  while (i < gbk.size()) {
    std::size_t asciiEnd = i;
    while (asciiEnd < gbk.size() && static_cast<unsigned char>(gbk[asciiEnd]) < 0x80) ++asciiEnd;
    utf8_.append(gbk.data() + i, asciiEnd - i);
    i = asciiEnd;
    if (i == gbk.size()) break;

    if (!opened) {
      cd = iconv_open("UTF-8", "GB18030");
      opened = true;
    }
    std::size_t length = WideCharLength(gbk, i);
    const bool converted = length != 0 && cd != reinterpret_cast<iconv_t>(-1) &&
                           AppendConverted(cd, gbk.substr(i, length), utf8_);
    if (!converted) {
      // One stand-in per bad byte keeps the way back to every byte; the bytes
      // after it get their own chance to start a character.
      utf8_.append(kReplacement);
      length = 1;
    }
    i += length;
    afterWide_.emplace_back(utf8_.size(), i);
  }
  if (opened && cd != reinterpret_cast<iconv_t>(-1)) iconv_close(cd);
}

std::size_t MappedUtf8::GbkOffset(std::size_t utf8Offset) const {
  const auto next =
      std::upper_bound(afterWide_.begin(), afterWide_.end(), utf8Offset,
                       [](std::size_t offset, const std::pair<std::size_t, std::size_t>& entry) {
                         return offset < entry.first;
                       });
  std::size_t gbk = utf8Offset;
  if (next != afterWide_.begin()) {
    const auto& [utf8At, gbkAt] = *(next - 1);
    gbk = gbkAt + (utf8Offset - utf8At);
  }
  return std::min(gbk, gbkSize_);
}
