#pragma once

#include <string_view>

#include "platform/text.h"

// Spaces of the system's texts: the ASCII space and the double-byte
// ideographic space (GBK A1 A1). Both routines walk the text character by
// character, so the bytes of a two-byte character are never taken apart.

// The text without spaces at either end.
Text TrimSpaces(std::string_view text);

// The text with every space removed.
Text RemoveSpaces(std::string_view text);

// Length in bytes of the character that starts at `pos`: 2 for the lead
// byte of a two-byte GBK character (0x81 or above, not the last byte), else 1.
inline size_t GbkUnitLength(std::string_view text, size_t pos) {
  return static_cast<unsigned char>(text[pos]) >= 0x81 && pos + 1 < text.size() ? 2 : 1;
}
