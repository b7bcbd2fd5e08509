#pragma once

#include "platform/text.h"

// The cookies a response sets, from its header lines (separated by CR LF):
// for every line whose text before its first ": " is exactly "Set-Cookie",
// its "name=value" (up to the first ";" after "Set-Cookie:"), with spaces
// removed from both ends, joined by "; ". Letter case counts: "set-cookie:"
// lines are not collected. Empty when there are none.
Text CollectReturnedCookies(const Text& responseHeaders);
