#include "http/header_line.h"

#include "http/gbk_spaces.h"

// ":" is below every trail byte of a two-byte GBK character, so a plain
// search never finds half of one.
Text HeaderName(const Text& line) {
  const size_t colon = line.find(':');
  return colon == Text::npos ? Text() : TrimSpaces(std::string_view(line).substr(0, colon));
}

Text HeaderValue(const Text& line) {
  const size_t colon = line.find(':');
  return colon == Text::npos ? Text() : TrimSpaces(std::string_view(line).substr(colon + 1));
}
