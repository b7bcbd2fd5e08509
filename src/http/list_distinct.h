#pragma once

#include <cstdint>
#include <vector>

#include "platform/text.h"

// List helpers of the cookie merge. Comparisons are exact, letter case
// included.

// 1-based position of the first item equal to `value`, or -1.
std::int32_t ListIndexOf(const std::vector<Text>& items, const Text& value);

// The characters of a text, one item each: two bytes for a GBK double-byte
// character (a byte of 0x81 or above that is not the last) and for CR LF,
// one byte otherwise.
std::vector<Text> SplitCharacters(const Text& text);

// The text with repeated items dropped (the first of each kept, in order),
// joined by `separator`. Items are cut at `separator` when `bySeparator`,
// else they are the text's characters.
Text ListDistinct(const Text& text, const Text& separator, bool bySeparator);
