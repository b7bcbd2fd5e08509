// The transcoder's real output, read through the process layer in chunks of
// at most 1023 bytes and parsed chunk by chunk as the task runner will.
//
// How the output falls into chunks depends on timing: a reader that keeps
// up gets FFmpeg's writes one by one, a reader that lags gets 1023-byte
// slices that may cut a line anywhere. A phrase cut by a read is not
// recognised, by design, so each check below first asks where the reads
// fell, and holds the parser to what it could see.

#include <unistd.h>

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "media/progress_text.h"
#include "media/text_cut.h"
#include "media/transcode_command.h"
#include "media/transcoder_output.h"
#include "platform/child_process.h"
#include "platform/files.h"
#include "support/gbk_text.h"
#include "support/hls_stream.h"
#include "support/temp_dir.h"

namespace {

// A program directory whose data/M3U8.exe is Debian's FFmpeg.
Text InstallTranscoder(const TempDir& dir) {
  Text program = dir / "程序 目录";
  EXPECT_TRUE(MakeDirectoryPath(program + "/data/"));
  EXPECT_EQ(0, ::symlink("/usr/bin/ffmpeg", ToUtf8(TranscoderPath(program)).c_str()));
  return program;
}

struct TranscodeRun {
  bool started = false;
  ExitStatus exit;
  TranscoderOutputState state;
  std::vector<Text> statuses;
  int finishRequests = 0;
  Text lastDuration;              // the duration as it stood before completion emptied it
  std::string output;             // all chunks joined
  std::vector<size_t> chunkEnds;  // where each read ended in `output`

  // True when a read ended inside the first `phrase` at or after `from`
  // (also when the phrase is missing altogether).
  bool CutByARead(std::string_view phrase, size_t from = 0) const {
    size_t start = output.find(phrase, from);
    if (start == std::string::npos) return true;
    for (size_t end : chunkEnds)
      if (end > start && end < start + phrase.size()) return true;
    return false;
  }
};

TranscodeRun Transcode(const Text& program, const Text& saveLocation, const Text& fileName) {
  TranscodeRun run;
  BeginTranscoderRun(run.state);
  ChildProcess child;
  run.started = child.Start(TranscodeCommandLine(program, saveLocation, fileName));
  run.exit = child.ReadUntilExit(1023, [&](std::string_view chunk) {
    EXPECT_LE(chunk.size(), 1023u);
    run.output.append(chunk);
    run.chunkEnds.push_back(run.output.size());
    if (!run.state.durationText.empty()) run.lastDuration = run.state.durationText;
    TranscoderChunkResult result = ParseTranscoderChunk(chunk, run.state);
    for (Text& status : result.statuses) run.statuses.push_back(status);
    if (result.finish) ++run.finishRequests;
  });
  return run;
}

bool HasProgress(const std::vector<Text>& statuses) {
  for (const Text& status : statuses)
    if (status.starts_with("转码：") && status.ends_with("%")) return true;
  return false;
}

TEST(TranscoderRun, JoinedSegmentsBecomeAnMp4WithProgressAndCompletion) {
  TempDir dir;
  Text program = InstallTranscoder(dir);
  std::optional<HlsStream> stream = GenerateHlsStream(dir / "stream", {.segmentCount = 4});
  ASSERT_TRUE(stream);
  Text save = dir / "存 盘/";
  ASSERT_TRUE(MakeDirectoryPath(save));
  std::string joined;
  for (const Text& path : stream->segmentPaths) joined += ReadWholeFile(path).value_or("");
  ASSERT_TRUE(WriteWholeFile(save + "第 一集.mp4", joined));

  TranscodeRun run = Transcode(program, save, "第 一集");
  ASSERT_TRUE(run.started);
  EXPECT_TRUE(run.exit.Succeeded());
  ASSERT_FALSE(run.statuses.empty());
  // The banner opens the output, so no read can cut it.
  EXPECT_TEXT_EQ("正在转码", run.statuses.front());

  // The duration line, whether FFmpeg's pieces came one by one or whole: a
  // read may end right after "Duration: " but not inside it or the value.
  Text duration = TextBetween(run.output, "Duration: ", ",");
  bool durationSeen =
      !run.CutByARead("Duration: ") && !run.CutByARead(duration, run.output.find("Duration: "));
  if (durationSeen) {
    EXPECT_NEAR(stream->totalSeconds, TimestampSeconds(run.lastDuration), 0.2)
        << ToUtf8(run.lastDuration);
  }
  size_t lastProgress = run.output.rfind("frame=");
  ASSERT_NE(std::string::npos, lastProgress);
  if (durationSeen && !run.CutByARead(TextBetween(run.output.substr(lastProgress), "", " bitrate="),
                                      lastProgress)) {
    EXPECT_TRUE(HasProgress(run.statuses));
  }

  size_t closing = run.output.find("other streams:");
  ASSERT_NE(std::string::npos, closing);
  if (!run.CutByARead(
          run.output.substr(closing, run.output.find("global", closing) + 6 - closing))) {
    EXPECT_TEXT_EQ("转码完成", run.statuses.back());
    EXPECT_EQ(1, run.finishRequests);
    EXPECT_TRUE(run.state.completed);
    EXPECT_TRUE(run.state.durationText.empty());
  }

  std::optional<MediaProbe> probe = ProbeMedia(TranscodedOutputPath(save, "第 一集"));
  ASSERT_TRUE(probe);
  EXPECT_EQ(1, probe->videoStreams);
  EXPECT_EQ(1, probe->audioStreams);
  EXPECT_NEAR(stream->totalSeconds, probe->durationSeconds, 0.2);
}

TEST(TranscoderRun, FailuresLeaveTheirWord) {
  TempDir dir;
  Text program = InstallTranscoder(dir);
  Text save = dir / "save/";
  ASSERT_TRUE(MakeDirectoryPath(save));
  std::string garbage;
  for (int i = 0; i < 20000; ++i) garbage.push_back(static_cast<char>((i * 7919) % 251));
  ASSERT_TRUE(WriteWholeFile(save + "garbage.mp4", garbage));

  struct Case {
    const char* fileName;
    const char* phrase;
    const char* status;
  };
  for (const Case& c : {Case{"garbage", "Invalid data found when processing input", "数据无效"},
                        Case{"missing", "No such file or directory", "地址错误"}}) {
    SCOPED_TRACE(c.fileName);
    TranscodeRun run = Transcode(program, save, c.fileName);
    ASSERT_TRUE(run.started);
    EXPECT_FALSE(run.exit.Succeeded());
    EXPECT_FALSE(run.state.completed);
    EXPECT_EQ(0, run.finishRequests);
    // FFmpeg prints the phrase; a read that cut it leaves the run wordless.
    ASSERT_NE(std::string::npos, run.output.find(c.phrase));
    EXPECT_TEXT_EQ(run.CutByARead(c.phrase) ? "转码失败" : c.status,
                   TranscodeFailureStatus(run.state));
  }

  TranscodeRun absent = Transcode(dir / "nowhere", save, "garbage");
  EXPECT_FALSE(absent.started);
  EXPECT_TRUE(absent.statuses.empty());
  EXPECT_TEXT_EQ("转码失败", TranscodeFailureStatus(absent.state));
}

}  // namespace
