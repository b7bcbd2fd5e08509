#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>

#include "platform/regex_engine.h"
#include "platform/regex_match_collection.h"
#include "platform/text.h"

// The program's pattern matcher: an engine compiled from a pattern with
// three flags, and the matches of its last search, read one by one. The
// playlist analysis creates it with the content pattern, executes it over
// the playlist and turns every match into one segment address.
//
// Copying gives a second object that shares the engine and the match
// collection; a later Create or Execute on either replaces only its own.
// No operation throws or fails loudly: a pattern the engine rejects, a
// search that gives up, a call without an engine and an index out of range
// all read as no matches and empty text.
//
// Not safe for concurrent use: one thread at a time, copies included (they
// share the engine).
class RegexObject {
 public:
  RegexObject() = default;

  // Starts over with a new engine for `pattern` and drops the matches. A
  // flag left out is taken as true. The pattern itself is checked at the
  // first Execute or Replace. False only when no engine could be made; the
  // object then has no engine and keeps its match count.
  bool Create(const Text& pattern, std::optional<bool> ignoreCase = std::nullopt,
              std::optional<bool> multiline = std::nullopt,
              std::optional<bool> global = std::nullopt);

  // The engine's pattern; empty text without an engine.
  Text GetPattern() const;

  // The source with the matches replaced (see RegexEngine::Replace for the
  // "$" forms); empty text without an engine or when the pattern is
  // rejected.
  Text Replace(std::string_view source, std::string_view replacement);

  // Searches the subject, keeps its matches in place of the previous ones
  // and returns their number; 0 and no matches without an engine, for a
  // rejected pattern or when the search gives up.
  std::int32_t Execute(std::string_view subject);

  // Number of matches of the last Execute.
  std::int32_t GetMatchCount() const { return matchCount_; }

  // Match number `index` (from 1), a copy; empty text when there is none.
  Text GetMatch(std::int32_t index) const;

  // Capture group `groupIndex` of match `matchIndex` (both from 1); empty
  // text when there is none or the group took no part in the match.
  Text GetSubMatch(std::int32_t matchIndex, std::int32_t groupIndex) const;

  // Number of capture groups of the pattern; 0 when there are no matches.
  std::int32_t GetSubMatchCount() const;

 private:
  std::shared_ptr<RegexEngine> engine_;
  std::shared_ptr<const RegexMatchCollection> matches_;
  std::int32_t matchCount_ = 0;
};
