#include "regex/regex_object.h"

#include <new>

bool RegexObject::Create(const Text& pattern, std::optional<bool> ignoreCase,
                         std::optional<bool> multiline, std::optional<bool> global) {
  matches_.reset();
  engine_.reset();
  try {
    engine_ = std::make_shared<RegexEngine>();
  } catch (const std::bad_alloc&) {
    return false;
  }
  matchCount_ = 0;
  engine_->SetIgnoreCase(ignoreCase.value_or(true));
  engine_->SetMultiline(multiline.value_or(true));
  engine_->SetGlobal(global.value_or(true));
  engine_->SetPattern(pattern);
  return true;
}

Text RegexObject::GetPattern() const { return engine_ ? engine_->Pattern() : Text(); }

Text RegexObject::Replace(std::string_view source, std::string_view replacement) {
  if (!engine_) return {};
  return engine_->Replace(source, replacement).value_or(Text());
}

std::int32_t RegexObject::Execute(std::string_view subject) {
  // A failed search must not leave the previous matches behind: the caller
  // turns the count into download rows.
  matches_ = engine_ ? engine_->Execute(subject) : nullptr;
  matchCount_ = matches_ ? matches_->Count() : 0;
  return matchCount_;
}

Text RegexObject::GetMatch(std::int32_t index) const {
  if (!matches_ || index < 1) return {};
  std::optional<RegexMatch> match = matches_->Item(index - 1);
  return match ? std::move(match->value) : Text();
}

Text RegexObject::GetSubMatch(std::int32_t matchIndex, std::int32_t groupIndex) const {
  if (!matches_ || matchIndex < 1) return {};
  std::optional<RegexMatch> match = matches_->Item(matchIndex - 1);
  if (!match || groupIndex < 1 || std::size_t(groupIndex) > match->subMatches.size()) return {};
  return std::move(match->subMatches[std::size_t(groupIndex) - 1]);
}

std::int32_t RegexObject::GetSubMatchCount() const {
  if (matchCount_ == 0 || !matches_) return 0;
  return matches_->GroupCount();
}
