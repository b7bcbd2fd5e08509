// The whole road, from a playlist on a loopback server to an MP4 file,
// through the application's own handlers with Debian's FFmpeg as transcoder.

#include <signal.h>
#include <sys/resource.h>

#include <gtest/gtest.h>

#include <cmath>

#include "download/segment_directory.h"
#include "support/hls_stream.h"
#include "support/status_recorder.h"
#include "support/task_fixture.h"

using namespace testing_support;

namespace {

class RoadTest : public TaskFixture {
 protected:
  // Serves a real 8-segment stream; returns the playlist's URL.
  std::string ServeRealStream() {
    stream =
        CachedHlsStream(FromUtf8(::testing::TempDir()) + "vantrelo-hls-cache", HlsStreamOptions{});
    EXPECT_TRUE(stream.has_value());
    if (!stream) return {};
    for (size_t i = 0; i < stream->segmentNames.size(); ++i) {
      HttpReply reply;
      reply.bodyFile = stream->segmentPaths[i];
      server.Serve("/hls/" + stream->segmentNames[i], reply);
    }
    server.Serve("/hls/index.m3u8", HttpReply::Ok(stream->PlaylistText(server.Url("/hls/"))));
    return server.Url("/hls/index.m3u8");
  }
  bool TmpHasSegments() {
    for (const Text& name : FindFiles(context().TempDirectory() + "tmp_*"))
      if (name != "tmp_owner") return true;
    return false;
  }
  std::optional<HlsStream> stream;
};

}  // namespace

TEST_F(RoadTest, PlaylistBecomesAPlayableMp4) {
  const std::string url = ServeRealStream();
  ASSERT_FALSE(url.empty());
  const ListView::RowId task = Add(url, "成片");
  StatusRecorder recorder(tasks(), task);
  ASSERT_TRUE(RunToEnd());
  EXPECT_TEXT_EQ("任务完成", Status(task));
  const std::optional<MediaProbe> probe = ProbeMedia(save + "成片.mp4");
  ASSERT_TRUE(probe.has_value());
  EXPECT_EQ(probe->videoStreams, 1);
  EXPECT_EQ(probe->audioStreams, 1);
  EXPECT_NEAR(probe->durationSeconds, stream->totalSeconds, 0.2);
  EXPECT_FALSE(FileExists(save + "成片_已转码.mp4"));
  EXPECT_FALSE(TmpHasSegments());
  for (const char* status :
       {"开始下载", "开始合并", "删除临时文件", "开始转码", "正在转码", "转码完成", "任务完成"})
    EXPECT_TRUE(recorder.Saw(status)) << ToUtf8(status);
  bool percentage = false;
  for (const Text& s : recorder.seen()) percentage |= s.rfind("转码：", 0) == 0 && s.back() == '%';
  EXPECT_TRUE(percentage);
  EXPECT_EQ(window().进度条1.position(), -1);
}

TEST_F(RoadTest, GarbageSegmentsEndInAnErrorWordAndKeepTheMergedFile) {
  ServePlaylist("/index.m3u8", {"not media", "at all"});
  const ListView::RowId task = Add(server.Url("/index.m3u8"), "坏");
  ASSERT_TRUE(RunToEnd());
  EXPECT_TEXT_EQ("数据无效", Status(task));
  EXPECT_EQ(ReadWholeFile(save + "坏.mp4"), "not mediaat all");
  EXPECT_FALSE(FileExists(save + "坏_已转码.mp4"));
}

TEST_F(RoadTest, UnwritableMergedFileKeepsTheSegmentsForARetry) {
  const std::string url = ServeRealStream();
  ASSERT_FALSE(url.empty());
  // A limit on the size of files this process writes stands in for a full
  // disk: every segment fits, the merged file does not.
  std::int64_t largest = 0;
  for (std::int64_t size : stream->segmentSizes) largest = std::max(largest, size);
  ::signal(SIGXFSZ, SIG_IGN);
  rlimit original;
  ::getrlimit(RLIMIT_FSIZE, &original);
  rlimit limited = original;
  limited.rlim_cur = static_cast<rlim_t>(largest * 2);
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
  const ListView::RowId task = Add(url, "满盘");
  const bool ended = RunToEnd();
  ::setrlimit(RLIMIT_FSIZE, &original);
  ASSERT_TRUE(ended);
  EXPECT_TEXT_EQ("合并失败", Status(task));
  EXPECT_FALSE(FileExists(save + "满盘.mp4"));
  for (size_t row = 0; row < stream->segmentNames.size(); ++row)
    EXPECT_TRUE(FileExists(context().TempDirectory() + SegmentFileName(static_cast<int>(row))));

  const size_t before = server.RequestCount();
  ASSERT_TRUE(RunToEnd());
  EXPECT_TEXT_EQ("任务完成", Status(task));
  EXPECT_EQ(server.RequestCount(), before + 2);  // URL check and playlist only
  EXPECT_TRUE(ProbeMedia(save + "满盘.mp4").has_value());
}

AppHarness::Options WithoutTranscoder() {
  AppHarness::Options options;
  options.installTranscoder = false;
  return options;
}

class RoadWithoutTranscoderTest : public TaskFixture {
 protected:
  RoadWithoutTranscoderTest() : TaskFixture(WithoutTranscoder()) {}
};

TEST_F(RoadWithoutTranscoderTest, MissingTranscoderIsAFailedTranscode) {
  ServePlaylist("/index.m3u8", {"a", "b"});
  const ListView::RowId task = Add(server.Url("/index.m3u8"), "无");
  ASSERT_TRUE(RunToEnd());
  EXPECT_TEXT_EQ("转码失败", Status(task));
  EXPECT_EQ(ReadWholeFile(save + "无.mp4"), "ab");
}
