#include "platform/mapped_utf8.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>

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

// Converts a run of GB18030 characters; false (and nothing appended) when
// iconv rejects any of them.
bool AppendConverted(iconv_t cd, std::string_view run, std::string& out) {
  const std::size_t oldSize = out.size();
  char* in = const_cast<char*>(run.data());
  std::size_t inLeft = run.size();
  char buffer[4096];
  while (inLeft > 0) {
    char* outPtr = buffer;
    std::size_t outLeft = sizeof buffer;
    const bool failed = iconv(cd, &in, &inLeft, &outPtr, &outLeft) == static_cast<std::size_t>(-1);
    out.append(buffer, static_cast<std::size_t>(outPtr - buffer));
    if (failed && errno != E2BIG) {
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
      out.resize(oldSize);
      return false;
    }
  }
  return true;
}

std::size_t Utf8SequenceLength(unsigned char lead) {
  if (lead < 0x80) return 1;
  if (lead < 0xE0) return 2;
  if (lead < 0xF0) return 3;
  return 4;
}

}  // namespace

MappedUtf8::MappedUtf8(std::string_view gbk) : gbkSize_(gbk.size()) {
  utf8_.reserve(gbk.size() + gbk.size() / 4);
  if (ConvertAtOnce(gbk)) return;
  utf8_.clear();
  afterWide_.clear();
  // Opened at the first non-ASCII byte: playlists are mostly ASCII.
  iconv_t cd = reinterpret_cast<iconv_t>(-1);
  bool opened = false;
  std::vector<std::size_t> lengths;
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
    // The characters up to the next ASCII byte go to iconv in one call; one
    // call per character would be several times slower on Chinese text.
    lengths.clear();
    std::size_t runEnd = i;
    for (std::size_t length; runEnd < gbk.size() && (length = WideCharLength(gbk, runEnd)) != 0;
         runEnd += length)
      lengths.push_back(length);
    const std::size_t runStart = utf8_.size();
    if (!lengths.empty() && cd != reinterpret_cast<iconv_t>(-1) &&
        AppendConverted(cd, gbk.substr(i, runEnd - i), utf8_)) {
      // GB18030 gives one code point per character; pair them up, and trust
      // the pairing only if it comes out even.
      const std::size_t entries = afterWide_.size();
      std::size_t utf8At = runStart;
      std::size_t gbkAt = i;
      for (std::size_t length : lengths) {
        if (utf8At >= utf8_.size()) break;
        utf8At += Utf8SequenceLength(static_cast<unsigned char>(utf8_[utf8At]));
        gbkAt += length;
        afterWide_.emplace_back(utf8At, gbkAt);
      }
      if (utf8At == utf8_.size() && gbkAt == runEnd) {
        i = runEnd;
        continue;
      }
      afterWide_.resize(entries);
      utf8_.resize(runStart);
    }
    // A character iconv does not know, or a byte that starts none: go one
    // character at a time and give each bad byte a stand-in of its own,
    // which keeps the way back to every byte.
    const std::size_t length = lengths.empty() ? 0 : lengths.front();
    if (length == 0 || cd == reinterpret_cast<iconv_t>(-1) ||
        !AppendConverted(cd, gbk.substr(i, length), utf8_)) {
      utf8_.append(kReplacement);
      i += 1;
    } else {
      i += length;
    }
    afterWide_.emplace_back(utf8_.size(), i);
  }
  if (opened && cd != reinterpret_cast<iconv_t>(-1)) iconv_close(cd);
}

bool MappedUtf8::ConvertAtOnce(std::string_view gbk) {
  std::size_t wide = 0;
  while (wide < gbk.size() && static_cast<unsigned char>(gbk[wide]) < 0x80) ++wide;
  if (wide == gbk.size()) {
    utf8_.assign(gbk);
    return true;
  }
  iconv_t cd = iconv_open("UTF-8", "GB18030");
  if (cd == reinterpret_cast<iconv_t>(-1)) return false;
  // Every wide character has at least one byte of 0x80 or above, most two:
  // reserving once spares a long text the copies of a growing vector.
  std::size_t highBytes = 0;
  for (std::size_t k = wide; k < gbk.size(); ++k)
    highBytes += static_cast<unsigned char>(gbk[k]) >= 0x80;
  afterWide_.reserve(highBytes / 2 + 1);
  const bool converted = AppendConverted(cd, gbk, utf8_);
  iconv_close(cd);
  if (!converted) return false;
  // Pair the characters of both texts; anything uneven (a byte iconv took
  // that does not start a character by our reckoning) sends the text the
  // slow way.
  std::size_t gbkAt = 0;
  std::size_t utf8At = 0;
  while (gbkAt < gbk.size()) {
    if (utf8At >= utf8_.size()) return false;
    if (static_cast<unsigned char>(gbk[gbkAt]) < 0x80) {
      if (utf8_[utf8At] != gbk[gbkAt]) return false;
      ++gbkAt;
      ++utf8At;
      continue;
    }
    const std::size_t length = WideCharLength(gbk, gbkAt);
    if (length == 0) return false;
    gbkAt += length;
    utf8At += Utf8SequenceLength(static_cast<unsigned char>(utf8_[utf8At]));
    afterWide_.emplace_back(utf8At, gbkAt);
  }
  return utf8At == utf8_.size();
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
