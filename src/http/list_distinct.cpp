#include "http/list_distinct.h"

#include <algorithm>

#include "http/text_items.h"

std::int32_t ListIndexOf(const std::vector<Text>& items, const Text& value) {
  for (size_t i = 0; i < items.size(); ++i)
    if (items[i] == value) return static_cast<std::int32_t>(i + 1);
  return -1;
}

std::vector<Text> SplitCharacters(const Text& text) {
  std::vector<Text> units;
  for (size_t pos = 0; pos < text.size();) {
    const bool wide = (static_cast<unsigned char>(text[pos]) >= 0x81 && pos + 1 < text.size()) ||
                      text.compare(pos, 2, "\r\n") == 0;
    const size_t length = wide ? 2 : 1;
    units.push_back(text.substr(pos, length));
    pos += length;
  }
  return units;
}

Text ListDistinct(const Text& text, const Text& separator, bool bySeparator) {
  const std::vector<Text> items = bySeparator ? CutItems(text, separator) : SplitCharacters(text);
  std::vector<Text> kept;
  for (const Text& item : items)
    if (ListIndexOf(kept, item) == -1) kept.push_back(item);
  Text joined;
  for (const Text& item : kept) joined += item + separator;
  joined.resize(joined.size() - std::min(joined.size(), separator.size()));
  return joined;
}
