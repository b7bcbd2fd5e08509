#include "platform/command_line.h"

#include <gtest/gtest.h>

#include <vector>

#include "support/gbk_text.h"

namespace {

void ExpectSplit(const Text& line, const std::vector<Text>& expected) {
  std::vector<Text> split = SplitCommandLine(line);
  ASSERT_EQ(expected.size(), split.size()) << ToUtf8(line);
  for (size_t i = 0; i < expected.size(); ++i)
    EXPECT_TEXT_EQ(expected[i], split[i]) << ToUtf8(line);
}

TEST(CommandLine, SplitsByTheWindowsRules) {
  struct Case {
    const char* line;
    std::vector<Text> arguments;
  };
  const Case cases[] = {
      {"", {}},
      {" \t ", {}},
      {"prog a b", {"prog", "a", "b"}},
      {"  prog \t a   b  ", {"prog", "a", "b"}},
      {"prog \"a b\" c", {"prog", "a b", "c"}},
      {"prog a\"b c\"d", {"prog", "ab cd"}},
      {"prog \"\" \"\"", {"prog", "", ""}},
      {"prog \"a\"\"b\"", {"prog", "a\"b"}},       // two quotes inside quotes: one literal
      {"prog a\\\\b", {"prog", "a\\\\b"}},         // backslashes alone are literal
      {"prog a\\\"b", {"prog", "a\"b"}},           // \" is a literal quote
      {"prog a\\\\\\\"b", {"prog", "a\\\"b"}},     // \\\" is a backslash and a quote
      {"prog \"a\\\\\" b", {"prog", "a\\", "b"}},  // \\" is a backslash and a closing quote
      {"prog \"unclosed arg", {"prog", "unclosed arg"}},
      // The program name knows no escapes; a quoted one ends at its quote.
      {"\"/dir with\\\\x\\\\prog\" a", {"/dir with\\\\x\\\\prog", "a"}},
      {"\"/bin/prog\"next", {"/bin/prog", "next"}},
      {"pro\"g a", {"pro\"g", "a"}},
      // 誠 is D5 5C: its second byte must not escape the quote after it.
      {"prog \"誠\" x", {"prog", "誠", "x"}},
      {"\"/程序 目录/回显\" \"参数 一\" 二", {"/程序 目录/回显", "参数 一", "二"}},
  };
  for (const Case& c : cases) ExpectSplit(c.line, c.arguments);
}

TEST(CommandLine, AQuotedArgumentSplitsBackUnchanged) {
  const char* arguments[] = {"",      "plain", "a b",    "a\"b", "\"",   "a\\",
                             "a\\\\", "a\\\"", "\\\"\\", "誠",   "誠\"", "中文 名\\"};
  for (const char* argument : arguments)
    ExpectSplit(Text("prog ") + QuoteCommandLineArgument(argument), {"prog", argument});
  // Nothing to escape: just the quotes.
  EXPECT_TEXT_EQ("\"/存 盘/a\\b.mp4\"", QuoteCommandLineArgument("/存 盘/a\\b.mp4"));
}

}  // namespace
