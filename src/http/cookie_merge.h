#pragma once

#include <vector>

#include "platform/text.h"

// Cookie texts: items "name=value" separated by ";" (as sent, "; ").

// The item's text before its first "=" (all of it when it has none), with
// spaces removed from both ends.
Text CookieName(const Text& item);

// True when some item's CookieName equals `name` exactly.
bool CookieListHasName(const std::vector<Text>& items, const Text& name);

// Merges the cookies a request sent with those its response set: the new
// items first, in their order, then the old items whose names are not among
// them (of several old items with one name only the first); items whose
// value is "deleted" are dropped, then exact repeats. Every space is removed
// from both texts first, in the callers' variables. Returns the merged text
// "a=1; b=2" and leaves it in `oldCookies`.
Text CookieMerge(Text& oldCookies, Text& newCookies);
