#include "http/cookie_merge.h"

#include "http/gbk_spaces.h"
#include "http/list_distinct.h"
#include "http/text_items.h"

Text CookieName(const Text& item) {
  return TrimSpaces(std::string_view(item).substr(0, item.find('=')));
}

bool CookieListHasName(const std::vector<Text>& items, const Text& name) {
  for (const Text& item : items)
    if (CookieName(item) == name) return true;
  return false;
}

Text CookieMerge(Text& oldCookies, Text& newCookies) {
  oldCookies = RemoveSpaces(oldCookies);
  newCookies = RemoveSpaces(newCookies);
  std::vector<Text> merged = CutItems(newCookies, ";");
  // The list grows while old items are added, so a second old item of the
  // same name finds the first one and stays out.
  for (const Text& item : CutItems(oldCookies, ";"))
    if (!CookieListHasName(merged, CookieName(item))) merged.push_back(item);
  static constexpr std::string_view kDeleted = "=deleted";
  Text joined;
  for (const Text& item : merged) {
    const bool deleted = item.size() >= kDeleted.size() &&
                         item.compare(item.size() - kDeleted.size(), Text::npos, kDeleted) == 0;
    if (!deleted) joined += item + "; ";
  }
  if (joined.size() >= 2) joined.resize(joined.size() - 2);
  oldCookies = ListDistinct(joined, "; ", true);
  return oldCookies;
}
