#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "platform/text.h"

// One match of a search, cut out of the searched text.
struct RegexMatch {
  Text value;
  // Byte position of the match in the searched text, counted from 0.
  std::int32_t firstIndex = 0;
  // Byte length of value.
  std::int32_t length = 0;
  // One text per capture group, in group order; a group that took no part in
  // the match reads as empty text.
  std::vector<Text> subMatches;
};

// The matches of one search, in subject order. Immutable; any number of
// owners may share it and read it from any thread.
class RegexMatchCollection {
 public:
  // `spans` holds, per match, 2 * (groupCount + 1) byte positions into
  // `subject`: begin and end of the whole match, then of each group; -1 for
  // a group that did not take part.
  RegexMatchCollection(Text subject, std::int32_t groupCount, std::vector<std::int32_t> spans);

  std::int32_t Count() const { return count_; }

  // Number of capture groups of the pattern, the same for every match.
  std::int32_t GroupCount() const { return groupCount_; }

  // Match number `index`, counted from 0; nothing when out of range.
  std::optional<RegexMatch> Item(std::int32_t index) const;

 private:
  Text Cut(std::int32_t begin, std::int32_t end) const;

  Text subject_;
  std::int32_t groupCount_;
  std::vector<std::int32_t> spans_;
  std::int32_t count_;
};
