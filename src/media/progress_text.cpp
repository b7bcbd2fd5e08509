#include "media/progress_text.h"

#include <cmath>
#include <cstdint>

namespace {

// The number in the up to two characters from 0-based `pos`; 0 unless they
// are all digits.
int Field(std::string_view text, size_t pos) {
  if (pos >= text.size()) return 0;
  std::string_view field = text.substr(pos, 2);
  int value = 0;
  for (char c : field) {
    if (c < '0' || c > '9') return 0;
    value = value * 10 + (c - '0');
  }
  return value;
}

}  // namespace

double TimestampSeconds(std::string_view text) {
  return Field(text, 0) * 3600.0 + Field(text, 3) * 60.0 + Field(text, 6) + Field(text, 9) / 100.0;
}

Text ProgressText(std::string_view durationText, std::string_view timeText) {
  double duration = TimestampSeconds(durationText);
  if (duration <= 0) return Text();
  // std::round takes halves away from zero: 12.5 gives 13.
  double percent = std::round(TimestampSeconds(timeText) / duration * 100.0);
  return "转码：" + DecimalText(static_cast<std::int64_t>(percent)) + "%";
}
