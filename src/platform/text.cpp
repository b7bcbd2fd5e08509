#include "platform/text.h"

#include <iconv.h>

#include <cctype>
#include <cerrno>
#include <limits>

namespace {

// Converts with iconv; on an invalid sequence writes `replacement` and skips
// `skip` input bytes (one character's worth, as far as we can tell).
std::string Convert(const char* to, const char* from, std::string_view input,
                    std::string_view replacement) {
  std::string out;
  if (input.empty()) return out;
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::string(input);
  out.reserve(input.size() * 3 / 2 + 8);
  char* in = const_cast<char*>(input.data());
  size_t inLeft = input.size();
  char buffer[4096];
  while (inLeft > 0) {
    char* outPtr = buffer;
    size_t outLeft = sizeof buffer;
    size_t result = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
    out.append(buffer, outPtr - buffer);
    if (result == static_cast<size_t>(-1)) {
      if (errno == E2BIG) continue;
      // EILSEQ or EINVAL (truncated sequence at the end): replace one byte.
      out.append(replacement);
      ++in;
      --inLeft;
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
  }
  char* outPtr = buffer;
  size_t outLeft = sizeof buffer;
  iconv(cd, nullptr, nullptr, &outPtr, &outLeft);
  out.append(buffer, outPtr - buffer);
  iconv_close(cd);
  return out;
}

bool IsAscii(std::string_view text) {
  for (unsigned char c : text)
    if (c >= 0x80) return false;
  return true;
}

}  // namespace

std::string ToUtf8(std::string_view gbk) {
  if (IsAscii(gbk)) return std::string(gbk);
  return Convert("UTF-8", "GB18030", gbk, "\xEF\xBF\xBD");
}

Text FromUtf8(std::string_view utf8) {
  if (IsAscii(utf8)) return std::string(utf8);
  return Convert("GB18030", "UTF-8", utf8, "?");
}

Text DecimalText(std::int64_t value) { return std::to_string(value); }

std::int32_t LeadingInteger(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\n' ||
                             text[i] == '\r' || text[i] == '\v' || text[i] == '\f'))
    ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  std::int64_t value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > std::numeric_limits<std::int32_t>::max()) {
      value = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
      while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i;
      break;
    }
  }
  if (negative) value = -value;
  if (value > std::numeric_limits<std::int32_t>::max())
    return std::numeric_limits<std::int32_t>::max();
  if (value < std::numeric_limits<std::int32_t>::min())
    return std::numeric_limits<std::int32_t>::min();
  return static_cast<std::int32_t>(value);
}

Text FoldAsciiCase(std::string_view text) {
  Text out(text);
  for (size_t i = 0; i < out.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(out[i]);
    if (IsGbkLeadByte(c) && i + 1 < out.size()) {
      ++i;
      continue;
    }
    out[i] = static_cast<char>(std::tolower(c));
  }
  return out;
}
