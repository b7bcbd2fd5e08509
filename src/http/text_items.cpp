#include "http/text_items.h"

#include "http/gbk_spaces.h"

std::vector<Text> CutItems(std::string_view text, std::string_view separator) {
  std::vector<Text> items;
  if (separator.empty()) return items;
  size_t start = 0;
  size_t pos = 0;
  while (pos < text.size()) {
    if (text.substr(pos, separator.size()) == separator) {
      items.emplace_back(text.substr(start, pos - start));
      pos += separator.size();
      start = pos;
    } else {
      pos += GbkUnitLength(text, pos);
    }
  }
  if (start < text.size()) items.emplace_back(text.substr(start));
  return items;
}
