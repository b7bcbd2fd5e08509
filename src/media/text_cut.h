#pragma once

#include <string_view>

#include "platform/text.h"

// Cutting texts at delimiters. Searches are exact byte searches from the
// start of the text; every result is empty when a delimiter is missing. Pure
// functions, any thread.

// The text between the first `left` and the first `right` after it. In both
// delimiters "#引号" stands for a double quote, so callers can name one.
Text TextBetween(std::string_view text, std::string_view left, std::string_view right);

// Everything before the first `right` (empty when the text begins with it).
Text TextBefore(std::string_view text, std::string_view right);

// Everything after the last `left`, to the end of the text.
Text TextAfterLast(std::string_view text, std::string_view left);
