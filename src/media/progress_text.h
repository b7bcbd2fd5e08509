#pragma once

#include <string_view>

#include "platform/text.h"

// Seconds of a time written as the transcoder prints it, "HH:MM:SS.cc":
// hours in characters 1-2, minutes in 4-5, seconds in 7-8, hundredths in
// 10-11. A field that is missing or not a number counts as 0, so "N/A" and
// the empty text give 0. Pure, any thread.
double TimestampSeconds(std::string_view text);

// "转码：" followed by the whole percentage of `timeText` in `durationText`
// (rounded to nearest, halves away from zero; not clamped, so a time past the
// duration gives more than 100) and "%". Empty when the duration gives 0
// seconds, where no percentage exists. Pure, any thread.
Text ProgressText(std::string_view durationText, std::string_view timeText);
