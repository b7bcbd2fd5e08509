#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/regex_match_collection.h"
#include "platform/text.h"

// A regular-expression engine over GBK text, with the surface of the
// system's pattern component: the properties IgnoreCase, Multiline, Global
// and Pattern, Execute giving a match collection, and Replace.
//
// Dialect (ECMAScript style): classes such as \s \d \w (ASCII, as the
// component had them), negated sets, greedy and lazy quantifiers, numbered
// and named groups, alternation, look-around, \xhh and \uhhhh escapes, []
// matching nothing and [^] any character, a back-reference to a group that
// took no part matching empty text. Lines end at CR, LF or CR LF. IgnoreCase
// folds letters by Unicode rules, never byte by byte, so Chinese characters
// whose second byte looks like a letter are not folded. With Multiline, ^ and
// $ match at every line; without it ^ matches only at the start and $ only at
// the very end. With Global every non-overlapping match is taken from left
// to right (after an empty match the search goes on one character further);
// without it only the first.
//
// Patterns, subjects and results are GBK; a subject that is not valid GBK is
// still searched, each bad byte standing for one character, and every
// result holds the subject's bytes exactly as they were.
//
// The pattern is compiled at the first search after a property changed. Not
// safe for concurrent use: one thread at a time.
class RegexEngine {
 public:
  // IgnoreCase, Multiline and Global false, Pattern empty.
  RegexEngine();
  ~RegexEngine();
  RegexEngine(const RegexEngine&) = delete;
  RegexEngine& operator=(const RegexEngine&) = delete;

  bool IgnoreCase() const { return ignoreCase_; }
  void SetIgnoreCase(bool ignoreCase);
  bool Multiline() const { return multiline_; }
  void SetMultiline(bool multiline);
  bool Global() const { return global_; }
  void SetGlobal(bool global) { global_ = global; }
  const Text& Pattern() const { return pattern_; }
  void SetPattern(Text pattern);

  // Searches the subject. Nothing (a null pointer) when the pattern is
  // rejected, when the subject is 2 GiB or longer, or when a search step
  // exceeds the engine's backtracking limits; no partial result is given.
  std::shared_ptr<const RegexMatchCollection> Execute(std::string_view subject);

  // The source with each match (only the first unless Global) replaced by
  // the replacement, in which $1 to $99 stand for a group (empty when it took
  // no part), $& for the match, $` and $' for the source before and after
  // it, and $$ for "$"; any other "$" is kept as it is. Nothing when Execute
  // would give nothing.
  std::optional<Text> Replace(std::string_view source, std::string_view replacement);

 private:
  struct Compiled;
  struct Found {
    std::int32_t groupCount = 0;
    // As RegexMatchCollection takes them: GBK byte positions per match.
    std::vector<std::int32_t> spans;
  };

  const Compiled* Ready();
  std::optional<Found> Find(std::string_view gbk);

  Text pattern_;
  bool ignoreCase_ = false;
  bool multiline_ = false;
  bool global_ = false;
  bool stale_ = true;
  // Null when the pattern was rejected.
  std::unique_ptr<Compiled> compiled_;
};
