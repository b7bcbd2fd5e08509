#pragma once

#include <utility>
#include <vector>

#include "platform/text.h"

// Settings files in the INI format of private profiles: "[section]" headers
// and "key=value" lines, GBK, CR LF line ends, no byte-order mark. Section
// and key names are compared without regard to letter case.

// Size of the read buffer: a value is cut to one byte less.
inline constexpr size_t kProfileReadBuffer = 10240;

// The value of a key, with surrounding blanks (and one pair of enclosing
// quotes) removed; empty when the file, section or key is missing.
Text ReadProfileString(const Text& section, const Text& key, const Text& path);

// Sets a key, creating the file, the section or the key as needed and
// replacing an existing value; every other line stays as it was. The file is
// replaced atomically, so a crash never leaves it truncated. False when the
// file could not be written.
bool WriteProfileString(const Text& section, const Text& key, const Text& value, const Text& path);

// Sets several keys of one section in the given order, as that many single
// writes would, but rewrites the file once.
bool WriteProfileStrings(const Text& section,
                         const std::vector<std::pair<Text, Text>>& keysAndValues, const Text& path);
