#include "http/returned_cookies.h"

#include "http/gbk_spaces.h"
#include "http/text_items.h"

namespace {

// The line with every "Set-Cookie:" taken out, in any letter case.
Text WithoutSetCookie(const Text& line) {
  static constexpr std::string_view kLower = "set-cookie:";
  const Text folded = FoldAsciiCase(line);
  Text out;
  size_t pos = 0;
  for (size_t hit; (hit = folded.find(kLower, pos)) != Text::npos; pos = hit + kLower.size())
    out += line.substr(pos, hit - pos);
  return out + line.substr(pos);
}

}  // namespace

Text CollectReturnedCookies(const Text& responseHeaders) {
  static constexpr std::string_view kPrefix = "Set-Cookie:";
  Text cookies;
  for (const Text& line : CutItems(responseHeaders, "\r\n")) {
    if (line.substr(0, line.find(": ")) != "Set-Cookie") continue;
    Text cookie;
    if (line.find(';') != Text::npos) {
      const size_t start = line.find(kPrefix) + kPrefix.size();
      const size_t end = line.find(';', start);
      cookie = line.substr(start, end == Text::npos ? Text::npos : end - start);
    } else {
      cookie = WithoutSetCookie(line);
    }
    cookies += TrimSpaces(cookie) + "; ";
  }
  if (cookies.size() >= 2) cookies.resize(cookies.size() - 2);
  return cookies;
}
