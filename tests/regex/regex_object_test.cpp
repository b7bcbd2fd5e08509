#include "regex/regex_object.h"

#include <gtest/gtest.h>

#include <cctype>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "support/gbk_text.h"

namespace {

std::vector<Text> AllMatches(const RegexObject& regex) {
  std::vector<Text> matches;
  for (std::int32_t i = 1; i <= regex.GetMatchCount(); ++i) matches.push_back(regex.GetMatch(i));
  return matches;
}

void ExpectTexts(const std::vector<Text>& expected, const std::vector<Text>& actual) {
  ASSERT_EQ(expected.size(), actual.size());
  for (size_t i = 0; i < expected.size(); ++i) EXPECT_TEXT_EQ(expected[i], actual[i]) << "#" << i;
}

// A playlist as servers send it: CR LF line ends, a key in a comment line,
// absolute, scheme-relative and relative segment lines, Chinese in a title
// and in an address.
const Text kPlaylist =
    "#EXTM3U\r\n"
    "#EXT-X-VERSION:3\r\n"
    "#EXT-X-KEY:METHOD=AES-128,URI=\"https://keys.example.com/k1.key\"\r\n"
    "#EXTINF:10.010,第一集\r\n"
    "https://cdn.example.com/hls/seg-00001.ts?auth=Ab9\r\n"
    "#EXTINF:10.010,\r\n"
    "seg-00002.ts\r\n"
    "#EXTINF:9.976,\t\r\n"
    "//cdn.example.com/hls/seg-00003.ts\r\n"
    "#EXTINF:4.2,\n"
    "http://例子.cn/视频/片段4.ts\n"
    "#EXT-X-ENDLIST\r\n";

// A flag left out is left out of Create as well.
struct MatchCase {
  const char* name = "";
  Text pattern = {};
  std::optional<bool> ignoreCase = std::nullopt;
  std::optional<bool> multiline = std::nullopt;
  std::optional<bool> global = std::nullopt;
  Text subject = {};
  std::vector<Text> expected = {};
};

const MatchCase kMatchCases[] = {
    {.name = "initial pattern over a playlist",
     .pattern = "//[^\\s]*",
     .subject = kPlaylist,
     .expected = {"//keys.example.com/k1.key\"", "//cdn.example.com/hls/seg-00001.ts?auth=Ab9",
                  "//cdn.example.com/hls/seg-00003.ts", "//例子.cn/视频/片段4.ts"}},
    {.name = "omitted flags are all true",
     .pattern = "^seg$",
     .subject = "SEG\nseg\nx seg",
     .expected = {"SEG", "seg"}},
    {.name = "letter case counts without IgnoreCase",
     .pattern = "seg",
     .ignoreCase = false,
     .subject = "SEG seg Seg",
     .expected = {"seg"}},
    {.name = "IgnoreCase folds letters",
     .pattern = "s[e]G",
     .ignoreCase = true,
     .subject = "SEG seg Seg",
     .expected = {"SEG", "seg", "Seg"}},
    {.name = "^ and $ at every line with Multiline",
     .pattern = "^\\w+$",
     .subject = "one\ntwo three\r\nfour\rfive\r\n",
     .expected = {"one", "four", "five"}},
    {.name = "^ only at the start without Multiline",
     .pattern = "^\\w+",
     .multiline = false,
     .subject = "one\ntwo",
     .expected = {"one"}},
    {.name = "$ not before a final line end without Multiline",
     .pattern = "\\w+$",
     .multiline = false,
     .subject = "ab\ncd\n",
     .expected = {}},
    {.name = "$ at the very end without Multiline",
     .pattern = "\\w+$",
     .multiline = false,
     .subject = "ab\ncd",
     .expected = {"cd"}},
    {.name = "dot and $ stop before CR LF",
     .pattern = "^.+$",
     .subject = "a1\r\nb2\r\n",
     .expected = {"a1", "b2"}},
    {.name = "Global off gives the first match only",
     .pattern = "\\d+",
     .global = false,
     .subject = "1 22 333",
     .expected = {"1"}},
    {.name = "Global off without a match",
     .pattern = "\\d",
     .global = false,
     .subject = "abc",
     .expected = {}},
    {.name = "empty matches advance by one character",
     .pattern = "x*",
     .subject = "axb",
     .expected = {"", "x", "", ""}},
    {.name = "no second try where an empty match was",
     .pattern = "|a",
     .subject = "a",
     .expected = {"", ""}},
    {.name = "empty pattern steps over whole Chinese characters",
     .pattern = "",
     .subject = "中a",
     .expected = {"", "", ""}},
    {.name = "bounded and lazy quantifiers",
     .pattern = "a{2,3}|b+?",
     .subject = "aaaaaaabb",
     .expected = {"aaa", "aaa", "b", "b"}},
    {.name = "groups and alternation",
     .pattern = "\\.(ts|m4s)$",
     .subject = "a.ts\nb.m4s\nc.mp4",
     .expected = {".ts", ".m4s"}},
    {.name = "negated set", .pattern = "[^,]+", .subject = "a,bb,,c", .expected = {"a", "bb", "c"}},
    {.name = "script-style escapes and sets",
     .pattern = "\\x41\\u0042|[]|[^]$",
     .subject = "xAB\n",
     .expected = {"AB", "\n"}},
    {.name = "back-reference to a group that took no part",
     .pattern = "(a)?\\1b",
     .subject = "b",
     .expected = {"b"}},
    {.name = "Chinese text",
     .pattern = "第\\d+集",
     .subject = "第1集 第22集 第x集",
     .expected = {"第1集", "第22集"}},
    {.name = "negated set leaves out a whole Chinese character",
     .pattern = "[^，]+",
     .subject = "甲，乙乙，丙",
     .expected = {"甲", "乙乙", "丙"}},
    {.name = "dot takes a character, not a byte",
     .pattern = ".",
     .subject = "中a",
     .expected = {"中", "a"}},
    // 乗 is 81 5C: its second byte is a backslash.
    {.name = "second byte that looks like a backslash",
     .pattern = "乗d",
     .subject = "乗d 乗1",
     .expected = {"乗d"}},
    // 亅 is 81 7C: its second byte is a bar.
    {.name = "second byte that looks like a bar",
     .pattern = "亅",
     .subject = "a亅b",
     .expected = {"亅"}},
    // 丄 is 81 41 and 乤 is 81 61: the second bytes are "A" and "a".
    {.name = "IgnoreCase does not fold second bytes",
     .pattern = "丄",
     .subject = "乤丄",
     .expected = {"丄"}},
    {.name = "bytes that are not GBK stay inside a match",
     .pattern = "//[^\\s]*",
     .subject = "//a\x80"
                "b c\xFF //d\x81",
     .expected = {"//a\x80"
                  "b",
                  "//d\x81"}},
};

void PrintTo(const MatchCase& c, std::ostream* os) { *os << c.name; }

class MatchTable : public ::testing::TestWithParam<MatchCase> {};

TEST_P(MatchTable, GivesTheExpectedMatches) {
  const MatchCase& c = GetParam();
  RegexObject regex;
  ASSERT_TRUE(regex.Create(c.pattern, c.ignoreCase, c.multiline, c.global));
  const std::int32_t count = regex.Execute(c.subject);
  EXPECT_EQ(count, regex.GetMatchCount());
  ExpectTexts(c.expected, AllMatches(regex));
}

INSTANTIATE_TEST_SUITE_P(RegexObject, MatchTable, ::testing::ValuesIn(kMatchCases),
                         [](const ::testing::TestParamInfo<MatchCase>& info) {
                           std::string name;
                           for (const char* p = info.param.name; *p; ++p)
                             name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
                           return name;
                         });

TEST(RegexObject, ReadsCaptureGroups) {
  RegexObject regex;
  regex.Create("(\\w+)=(\\d+)?");
  ASSERT_EQ(3, regex.Execute("a=1 b= c=3"));
  EXPECT_EQ(2, regex.GetSubMatchCount());
  EXPECT_TEXT_EQ("a", regex.GetSubMatch(1, 1));
  EXPECT_TEXT_EQ("1", regex.GetSubMatch(1, 2));
  EXPECT_TEXT_EQ("b", regex.GetSubMatch(2, 1));
  EXPECT_TEXT_EQ("", regex.GetSubMatch(2, 2));  // took no part
  EXPECT_TEXT_EQ("3", regex.GetSubMatch(3, 2));
  for (auto [match, group] : {std::pair{0, 1}, {4, 1}, {1, 0}, {1, 3}, {-2147483647 - 1, 1}})
    EXPECT_TEXT_EQ("", regex.GetSubMatch(match, group)) << match << "," << group;

  regex.Create("(\\S+)：(\\S+)");
  ASSERT_EQ(1, regex.Execute("名字：张三"));
  EXPECT_TEXT_EQ("名字", regex.GetSubMatch(1, 1));
  EXPECT_TEXT_EQ("张三", regex.GetSubMatch(1, 2));

  EXPECT_EQ(0, regex.Execute("nothing here"));
  EXPECT_EQ(0, regex.GetSubMatchCount());
  regex.Create("\\d");
  regex.Execute("1");
  EXPECT_EQ(0, regex.GetSubMatchCount());
}

struct ReplaceCase {
  Text pattern;
  std::optional<bool> global;
  Text source;
  Text replacement;
  Text expected;
};

TEST(RegexObject, ReplacesMatches) {
  const ReplaceCase cases[] = {
      {"(\\w+)@(\\w+)", {}, "x a@b y c@d", "$2#$1", "x b#a y d#c"},
      {"b", {}, "abc", "[$`|$&|$'|$$]", "a[a|b|c|$]c"},
      {"o", false, "foo", "0", "f0o"},
      {"(a)", {}, "a", "$0$9$x$", "$0$9$x$"},
      {"(a)", {}, "a", "$10|$01|$00", "a0|a|$00"},
      {"(a)(b)(c)(d)(e)(f)(g)(h)(i)(j)(k)", {}, "abcdefghijk", "$11$10$1", "kja"},
      {"(a)|(b)", {}, "b", "[$1$2]", "[b]"},
      {"(a)|(b)", {}, "a", "[$2]", "[]"},
      {"x*", {}, "abc", "-", "-a-b-c-"},
      {"z", {}, "abc", "-", "abc"},
      {"文", {}, "中文字文", "$&子", "中文子字文子"},
      {"a",
       {},
       "\x80"
       "a\xFF",
       "b",
       "\x80"
       "b\xFF"},
  };
  for (const ReplaceCase& c : cases) {
    RegexObject regex;
    regex.Create(c.pattern, std::nullopt, std::nullopt, c.global);
    EXPECT_TEXT_EQ(c.expected, regex.Replace(c.source, c.replacement))
        << ToUtf8(c.pattern) << " / " << ToUtf8(c.replacement);
  }
}

TEST(RegexObject, RejectedPatternsGiveNoMatches) {
  for (const Text pattern : {"(", "[a-", "a{2,1}", "\\", "(?<n", "*a", "a)"}) {
    RegexObject regex;
    regex.Create("b");
    ASSERT_EQ(1, regex.Execute("abc"));
    EXPECT_TRUE(regex.Create(pattern));
    EXPECT_TEXT_EQ(pattern, regex.GetPattern());
    EXPECT_EQ(0, regex.Execute("abc")) << pattern;
    EXPECT_EQ(0, regex.GetMatchCount());
    EXPECT_TEXT_EQ("", regex.GetMatch(1));
    EXPECT_EQ(0, regex.GetSubMatchCount());
    EXPECT_TEXT_EQ("", regex.Replace("abc", "x"));
  }
}

TEST(RegexObject, SearchThatGivesUpLeavesNoMatches) {
  RegexObject regex;
  regex.Create("(a+)+$");
  ASSERT_EQ(1, regex.Execute("aaa"));
  // Exponential backtracking: the engine's limit ends it.
  EXPECT_EQ(0, regex.Execute(std::string(40, 'a') + "b"));
  EXPECT_EQ(0, regex.GetMatchCount());
  EXPECT_TEXT_EQ("", regex.GetMatch(1));
}

TEST(RegexObject, WithoutEngineEverythingIsEmpty) {
  RegexObject regex;
  EXPECT_TEXT_EQ("", regex.GetPattern());
  EXPECT_EQ(0, regex.Execute("abc"));
  EXPECT_EQ(0, regex.GetMatchCount());
  EXPECT_TEXT_EQ("", regex.GetMatch(1));
  EXPECT_TEXT_EQ("", regex.GetSubMatch(1, 1));
  EXPECT_EQ(0, regex.GetSubMatchCount());
  EXPECT_TEXT_EQ("", regex.Replace("abc", "x"));
}

TEST(RegexObject, LaterExecuteAndCreateReplaceTheMatches) {
  RegexObject regex;
  regex.Create("\\d+");
  ASSERT_EQ(3, regex.Execute("1 2 3"));
  EXPECT_EQ(1, regex.Execute("x45"));
  EXPECT_EQ(1, regex.GetMatchCount());
  EXPECT_TEXT_EQ("45", regex.GetMatch(1));
  EXPECT_TEXT_EQ("", regex.GetMatch(2));
  EXPECT_TEXT_EQ("", regex.GetMatch(0));

  EXPECT_TRUE(regex.Create("x"));
  EXPECT_EQ(0, regex.GetMatchCount());
  EXPECT_TEXT_EQ("", regex.GetMatch(1));
  EXPECT_TEXT_EQ("x", regex.GetPattern());
}

TEST(RegexObject, CopySharesEngineAndMatchesUntilReplaced) {
  RegexObject original;
  original.Create("\\d");
  original.Execute("1 2");
  RegexObject copy = original;
  EXPECT_EQ(2, copy.GetMatchCount());
  EXPECT_TEXT_EQ("2", copy.GetMatch(2));
  EXPECT_EQ(1, copy.Execute("7"));  // the shared engine, a collection of its own
  EXPECT_TEXT_EQ("2", original.GetMatch(2));

  original.Create("z");
  EXPECT_TEXT_EQ("\\d", copy.GetPattern());
  EXPECT_TEXT_EQ("7", copy.GetMatch(1));
}

}  // namespace
