// The transcoder's real output, read through the process layer in chunks of
// at most 1023 bytes and parsed chunk by chunk as the task runner will.

#include <unistd.h>

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "media/progress_text.h"
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
  Text lastDuration;  // the duration as it stood before completion emptied it
};

TranscodeRun Transcode(const Text& program, const Text& saveLocation, const Text& fileName) {
  TranscodeRun run;
  BeginTranscoderRun(run.state);
  ChildProcess child;
  run.started = child.Start(TranscodeCommandLine(program, saveLocation, fileName));
  run.exit = child.ReadUntilExit(1023, [&](std::string_view chunk) {
    EXPECT_LE(chunk.size(), 1023u);
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
  EXPECT_TEXT_EQ("正在转码", run.statuses.front());
  EXPECT_TRUE(HasProgress(run.statuses));
  EXPECT_TEXT_EQ("转码完成", run.statuses.back());
  EXPECT_EQ(1, run.finishRequests);
  EXPECT_TRUE(run.state.completed);
  EXPECT_TRUE(run.state.durationText.empty());
  EXPECT_NEAR(stream->totalSeconds, TimestampSeconds(run.lastDuration), 0.2)
      << ToUtf8(run.lastDuration);

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
    const char* status;
  };
  for (const Case& c : {Case{"garbage", "数据无效"}, Case{"missing", "地址错误"}}) {
    TranscodeRun run = Transcode(program, save, c.fileName);
    ASSERT_TRUE(run.started);
    EXPECT_FALSE(run.exit.Succeeded()) << c.fileName;
    EXPECT_FALSE(run.state.completed) << c.fileName;
    EXPECT_EQ(0, run.finishRequests);
    EXPECT_TEXT_EQ(c.status, TranscodeFailureStatus(run.state));
  }

  TranscodeRun absent = Transcode(dir / "nowhere", save, "garbage");
  EXPECT_FALSE(absent.started);
  EXPECT_TRUE(absent.statuses.empty());
  EXPECT_TEXT_EQ("转码失败", TranscodeFailureStatus(absent.state));
}

}  // namespace
