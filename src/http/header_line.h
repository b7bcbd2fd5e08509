#pragma once

#include "platform/text.h"

// The two halves of a header line "Name: value", cut at the first ":", with
// spaces (ASCII and ideographic) removed from both ends. Both are empty for a
// line without ":".
Text HeaderName(const Text& line);
Text HeaderValue(const Text& line);
