#include "media/transcoder_output.h"

#include <gtest/gtest.h>

#include <string_view>
#include <vector>

#include "support/gbk_text.h"

namespace {

using namespace std::string_view_literals;

constexpr std::string_view kBanner =
    "ffmpeg version 5.1.9-0+deb12u1 Copyright (c) 2000-2026 the FFmpeg developers\n";
constexpr std::string_view kCompletion =
    "video:162kB audio:63kB subtitle:0kB other streams:0kB global headers:0kB muxing overhead: "
    "2.58%\n";

struct ChunkCase {
  const char* what;
  std::string_view durationBefore;
  std::string_view chunk;
  std::vector<const char*> statuses;
  std::string_view durationAfter;
  bool finish;
};

TEST(TranscoderOutput, ChunkTable) {
  const std::string bannerAndDuration =
      std::string(kBanner) + "  Duration: 00:01:02.50, start: 0.000000, bitrate: 1000 kb/s\n";
  const std::string bannerAnd401 =
      std::string(kBanner) + "Server returned 401 Unauthorized (authorization failed)\n";
  const std::string progressAndCompletion =
      "frame=  200 fps=0.0 q=-1.0 Lsize=     231kB time=00:00:08.00 bitrate= 235.7kbits/s "
      "speed=1.75e+03x    \n" +
      std::string(kCompletion);
  const ChunkCase cases[] = {
      {"banner of this year", "", kBanner, {"正在转码"}, "", false},
      {"banner of the old build",
       "",
       "ffmpeg version 3.0 Copyright (c) 2000-2016 the FFmpeg developers",
       {"正在转码"},
       "",
       false},
      {"banner without a year", "", "Copyright (c) 2000-20 the FFmpeg developers", {}, "", false},
      {"banner hides the Duration line", "", bannerAndDuration, {"正在转码"}, "", false},
      {"banner wins over 401", "", bannerAnd401, {"正在转码"}, "", false},
      {"401",
       "",
       "Server returned 401 Unauthorized (authorization failed)",
       {"授权失败"},
       "",
       false},
      {"name does not resolve",
       "",
       "The name does not resolve for the supplied parameters",
       {"数据无效"},
       "",
       false},
      {"invalid data",
       "",
       "x.mp4: Invalid data found when processing input",
       {"数据无效"},
       "",
       false},
      {"404", "", "HTTP error 404 Not Found", {"数据无效"}, "", false},
      {"missing file", "", "x.mp4: No such file or directory", {"地址错误"}, "", false},
      {"phrases by table order, not by place",
       "",
       "No such file or directory; Server returned 401 Unauthorized (authorization failed)",
       {"授权失败"},
       "",
       false},
      {"an error ends the chunk's parsing",
       "",
       "Invalid data found when processing input\n  Duration: 00:00:05.00, start: 0",
       {"数据无效"},
       "",
       false},
      {"whole duration",
       "",
       "  Duration: 00:01:02.50, start: 0.000000, bitrate: 1000 kb/s\n",
       {},
       "00:01:02.50",
       false},
      {"duration N/A stays",
       "00:00:09.00",
       "  Duration: N/A, start: 0.000000, bitrate: N/A",
       {},
       "N/A",
       false},
      {"chunk ends after Duration: ignores the rest",
       "00:00:10.00",
       "frame=1 time=00:00:05.00 bitrate=1kbits/s\n  Duration: ",
       {},
       "",
       false},
      {"the duration begins the next chunk",
       "",
       "00:01:02.50, start: 0.000000, bitrate: 1 kb/s",
       {},
       "00:01:02.50",
       false},
      {"a known duration is not replaced by start",
       "00:00:10.00",
       "00:00:20.00, start: 0",
       {},
       "00:00:10.00",
       false},
      {"progress",
       "00:01:40.00",
       "frame=   10 fps=0.0 q=-1.0 size=       1kB time=00:00:25.00 bitrate=  10.0kbits/s",
       {"转码：25%"},
       "00:01:40.00",
       false},
      {"progress without a time",
       "00:01:40.00",
       "frame=   10 time=bitrate=  10.0kbits/s",
       {},
       "00:01:40.00",
       false},
      {"progress with no duration",
       "",
       "frame=  10 time=00:00:01.00 bitrate=1kbits/s",
       {},
       "",
       false},
      {"progress with duration N/A",
       "N/A",
       "frame=  10 time=00:00:01.00 bitrate=1kbits/s",
       {},
       "N/A",
       false},
      {"completion", "00:00:08.00", kCompletion, {"转码完成"}, "", true},
      {"other streams: directly followed by global",
       "00:00:08.00",
       "other streams:global headers",
       {},
       "00:00:08.00",
       false},
      {"progress then completion in one chunk",
       "00:00:08.00",
       progressAndCompletion,
       {"转码：100%", "转码完成"},
       "",
       true},
      {"the chunk ends at its first zero byte",
       "",
       "  Duration: 00:00:01.00, start: 0\0other streams:0kB global"sv,
       {},
       "00:00:01.00",
       false},
  };
  for (const ChunkCase& c : cases) {
    SCOPED_TRACE(c.what);
    TranscoderOutputState state;
    state.durationText = c.durationBefore;
    TranscoderChunkResult result = ParseTranscoderChunk(c.chunk, state);
    ASSERT_EQ(c.statuses.size(), result.statuses.size());
    for (size_t i = 0; i < c.statuses.size(); ++i)
      EXPECT_TEXT_EQ(c.statuses[i], result.statuses[i]);
    EXPECT_TEXT_EQ(c.durationAfter, state.durationText);
    EXPECT_EQ(c.finish, result.finish);
    EXPECT_EQ(c.finish, state.completed);
  }
}

TEST(TranscoderOutput, ADurationCutAfterItsFirstHundredthsDigitGetsARandomSecond) {
  for (std::string_view chunk : {"  Duration: 00:01:02.5"sv, "00:01:02.5, start: 0.000000"sv}) {
    TranscoderOutputState state;
    ParseTranscoderChunk(chunk, state);
    ASSERT_EQ(11u, state.durationText.size()) << chunk;
    EXPECT_EQ("00:01:02.5", state.durationText.substr(0, 10));
    EXPECT_TRUE(state.durationText[10] >= '0' && state.durationText[10] <= '9');
  }
}

TEST(TranscoderOutput, ADurationSplitAcrossTwoChunksDrivesTheProgress) {
  TranscoderOutputState state;
  EXPECT_TRUE(ParseTranscoderChunk("Input #0, mpegts, from 'x.mp4':\n  Duration: ", state)
                  .statuses.empty());
  ParseTranscoderChunk("00:00:08.00, start: 1.400000, bitrate: 235 kb/s\n", state);
  EXPECT_TEXT_EQ("00:00:08.00", state.durationText);
  TranscoderChunkResult progress = ParseTranscoderChunk(
      "frame=  50 fps=0.0 q=-1.0 size=  1kB time=00:00:02.00 bitrate=1.0kbits/s", state);
  ASSERT_EQ(1u, progress.statuses.size());
  EXPECT_TEXT_EQ("转码：25%", progress.statuses[0]);
}

TEST(TranscoderOutput, ADurationLineWrittenPieceByPieceIsPiecedTogether) {
  // FFmpeg writes the line in these pieces; a reader that keeps up gets each
  // as a chunk of its own.
  struct Case {
    std::vector<std::string_view> chunks;
    std::string_view duration;
  };
  const Case cases[] = {
      {{"  Duration: ", "00:00:04.02", ", start: ", "1.400000", ", bitrate: ", "272 kb/s", "\n"},
       "00:00:04.02"},
      {{"  Duration: ", "N/A", ", bitrate: ", "N/A", "\n"}, "N/A"},
      {{"  Duration: 00:00:04.02", ", start: ", "1.400000"}, "00:00:04.02"},
      {{"  Duration: ", "00:00:04.02, start: 1.400000, bitrate: 272 kb/s\n"}, "00:00:04.02"},
      // Only the very next chunk can give it.
      {{"  Duration: ", "\n", "00:00:04.02"}, "\n"},
  };
  for (const Case& c : cases) {
    TranscoderOutputState state;
    BeginTranscoderRun(state);
    for (std::string_view chunk : c.chunks) ParseTranscoderChunk(chunk, state);
    EXPECT_EQ(c.duration, state.durationText) << c.chunks.size();
  }
}

TEST(TranscoderOutput, ARunRemembersItsErrorWordAndCompletion) {
  TranscoderOutputState state;
  state.durationText = "00:00:08.00";
  BeginTranscoderRun(state);
  EXPECT_TEXT_EQ("转码失败", TranscodeFailureStatus(state));  // no output at all

  ParseTranscoderChunk("x.mp4: No such file or directory\n", state);
  ParseTranscoderChunk("frame=  50 time=00:00:02.00 bitrate=1.0kbits/s", state);
  EXPECT_TEXT_EQ("地址错误", TranscodeFailureStatus(state));  // progress does not hide it
  EXPECT_FALSE(state.completed);

  ParseTranscoderChunk(kCompletion, state);
  EXPECT_TRUE(state.completed);

  state.durationText = "00:00:09.00";  // left by a run that did not complete
  BeginTranscoderRun(state);
  EXPECT_FALSE(state.completed);
  EXPECT_TEXT_EQ("转码失败", TranscodeFailureStatus(state));
  EXPECT_TEXT_EQ("00:00:09.00", state.durationText);
}

}  // namespace
