#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Text inside the system is GBK bytes. Lengths and positions count bytes.
// Conversion to and from UTF-8 happens only where text leaves or enters the
// system: paths, process arguments, the screen, the regex engine.
using Text = std::string;

// GBK (read as GB18030, its superset) to UTF-8. A byte sequence that is not
// valid GBK becomes U+FFFD; everything valid around it is kept. Any thread.
std::string ToUtf8(std::string_view gbk);

// UTF-8 to GBK (GB18030, so characters outside GBK still round-trip). An
// invalid UTF-8 byte becomes "?"; everything valid around it is kept.
Text FromUtf8(std::string_view utf8);

// Decimal text of a number, as the system shows numbers to the user.
Text DecimalText(std::int64_t value);

// The leading decimal integer of a text: optional blanks, an optional sign,
// then digits; 0 when there are no digits. Saturates at the int32 range.
std::int32_t LeadingInteger(std::string_view text);

// True when the byte at `index` begins a two-byte GBK character.
inline bool IsGbkLeadByte(unsigned char byte) { return byte >= 0x81 && byte <= 0xFE; }

// ASCII letters folded to lower case; bytes of two-byte GBK characters stay
// as they are (their second byte may look like an ASCII letter).
Text FoldAsciiCase(std::string_view text);
