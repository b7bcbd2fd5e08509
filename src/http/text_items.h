#pragma once

#include <string_view>
#include <vector>

#include "platform/text.h"

// Cuts a text into items at a separator: every separator ends an item, so
// two in a row give an empty item and a leading one an empty first item; the
// rest after the last separator is an item only when it is not empty. An
// empty text (or an empty separator) gives no items. The search steps over
// two-byte GBK characters whole, so a separator never matches half of one.
std::vector<Text> CutItems(std::string_view text, std::string_view separator);
