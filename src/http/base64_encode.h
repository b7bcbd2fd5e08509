#pragma once

#include <string_view>

#include "platform/text.h"

// Base64 of RFC 4648 section 4: the standard alphabet, "=" padding, no line
// breaks. Empty for empty input.
Text Base64Encode(std::string_view data);
