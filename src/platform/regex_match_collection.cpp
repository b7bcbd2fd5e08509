#include "platform/regex_match_collection.h"

#include <utility>

RegexMatchCollection::RegexMatchCollection(Text subject, std::int32_t groupCount,
                                           std::vector<std::int32_t> spans)
    : subject_(std::move(subject)),
      groupCount_(groupCount < 0 ? 0 : groupCount),
      spans_(std::move(spans)),
      count_(static_cast<std::int32_t>(spans_.size() / (2 * (std::size_t(groupCount_) + 1)))) {}

std::optional<RegexMatch> RegexMatchCollection::Item(std::int32_t index) const {
  if (index < 0 || index >= count_) return std::nullopt;
  const std::size_t stride = 2 * (std::size_t(groupCount_) + 1);
  const std::int32_t* span = spans_.data() + std::size_t(index) * stride;
  RegexMatch match;
  match.value = Cut(span[0], span[1]);
  match.firstIndex = span[0];
  match.length = static_cast<std::int32_t>(match.value.size());
  match.subMatches.reserve(std::size_t(groupCount_));
  for (std::int32_t group = 1; group <= groupCount_; ++group)
    match.subMatches.push_back(Cut(span[2 * group], span[2 * group + 1]));
  return match;
}

Text RegexMatchCollection::Cut(std::int32_t begin, std::int32_t end) const {
  // A group that took no part has no text.
  if (begin < 0 || end < begin || std::size_t(end) > subject_.size()) return {};
  return subject_.substr(std::size_t(begin), std::size_t(end - begin));
}
