#pragma once

#include <string_view>
#include <vector>

#include "platform/text.h"

// Command lines in the Windows form: one text that holds the program and its
// arguments. Arguments are separated by blanks or tabs outside double quotes;
// quotes group and are removed. Backslashes are literal except before a
// quote: 2n backslashes and a quote give n backslashes and a grouping quote,
// 2n+1 backslashes and a quote give n backslashes and a literal quote. Inside
// quotes, two quotes in a row give one literal quote. The program name, the
// first argument, knows no escapes: a leading quote runs to the next quote.
//
// The texts are GBK: the second byte of a two-byte character is never taken
// for a backslash, so names such as "誠" (D5 5C) survive. Pure functions, any
// thread.

// The arguments of a command line, the program name first; nothing for a
// line that holds only blanks.
std::vector<Text> SplitCommandLine(std::string_view commandLine);

// One argument written so that SplitCommandLine gives it back unchanged:
// enclosed in quotes, with every quote escaped and the backslashes before a
// quote doubled. A text without quotes and without a backslash at its end is
// simply enclosed in quotes.
Text QuoteCommandLineArgument(std::string_view argument);
