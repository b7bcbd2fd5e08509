#include "media/progress_text.h"

#include <gtest/gtest.h>

#include "support/gbk_text.h"

namespace {

TEST(ProgressText, RoundsHalvesUpAndIsNotClamped) {
  struct Case {
    const char* duration;
    const char* time;
    const char* expected;
  };
  const Case cases[] = {
      {"00:01:40.00", "00:00:25.00", "转码：25%"},
      {"00:00:08.00", "00:00:01.00", "转码：13%"},  // 12.5 rounds away from zero
      {"00:02:00.00", "00:02:06.00", "转码：105%"},
      {"00:00:03.00", "00:00:01.00", "转码：33%"},
      {"01:00:00.00", "00:30:00.00", "转码：50%"},
      {"00:00:08.02", "00:00:08.02", "转码：100%"},
      {"00:00:10.00", "N/A", "转码：0%"},  // an unreadable time counts as 0
      {"00:00:10.00", "", "转码：0%"},
  };
  for (const Case& c : cases)
    EXPECT_TEXT_EQ(c.expected, ProgressText(c.duration, c.time)) << c.duration << " " << c.time;
}

TEST(ProgressText, ADurationOfNoSecondsGivesNoPercentage) {
  for (const char* duration : {"", "N/A", "00:00:00.00", "00:0"})
    EXPECT_TEXT_EQ("", ProgressText(duration, "00:00:01.00")) << duration;
}

TEST(ProgressText, TimestampFieldsSitAtFixedPlaces) {
  EXPECT_DOUBLE_EQ(3600 + 120 + 3 + 0.45, TimestampSeconds("01:02:03.45"));
  EXPECT_DOUBLE_EQ(62.05, TimestampSeconds("00:01:02.5"));  // one hundredths digit is 5
  EXPECT_DOUBLE_EQ(62, TimestampSeconds("00:01:02.x5"));    // not a number: 0
  EXPECT_DOUBLE_EQ(0, TimestampSeconds("N/A"));
}

}  // namespace
