#include "tasks/download_driver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>

#include "download/segment_directory.h"
#include "support/status_recorder.h"
#include "support/task_fixture.h"

using namespace testing_support;

class DownloadTest : public TaskFixture {
 protected:
  std::vector<std::string> Bodies(int count) {
    std::vector<std::string> bodies;
    for (int i = 0; i < count; ++i) bodies.push_back("segment " + std::to_string(i) + "\n");
    return bodies;
  }
  Text Tmp() { return context().TempDirectory(); }
};

TEST_F(DownloadTest, ThreadCountLimitsWorkersAndEveryRowIsFetchedOnce) {
  struct Case {
    const char* threads;
    int rows;
    int maxConcurrent;
  } cases[] = {{"10", 25, 10}, {"10", 3, 3}, {"abc", 4, 1}, {"0", 4, 1}, {" -2", 3, 1}};
  int task = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.threads);
    std::atomic<int> active{0}, peak{0};
    const std::string prefix = "/t" + std::to_string(task) + "/";
    std::string playlist;
    for (int i = 0; i < c.rows; ++i) {
      const std::string path = prefix + std::to_string(i) + ".ts";
      server.Handle(path, [&](const RecordedRequest&) {
        const int now = ++active;
        int seen = peak.load();
        while (now > seen && !peak.compare_exchange_weak(seen, now)) {
        }
        // Long enough for the others to pile up if the driver let them.
        std::this_thread::sleep_for(std::chrono::milliseconds(15));
        --active;
        return HttpReply::Ok("x");
      });
      playlist += server.Url(path).substr(5) + "\n";
    }
    server.Serve(prefix + "index.m3u8", HttpReply::Ok(playlist));
    window().编辑框_线程数.SetText(c.threads);
    Add(server.Url(prefix + "index.m3u8"), "task" + std::to_string(task++));
    ASSERT_TRUE(RunToEnd());
    std::vector<std::string> fetched = RequestedPaths(prefix);
    fetched.erase(std::remove(fetched.begin(), fetched.end(), prefix + "index.m3u8"),
                  fetched.end());
    std::sort(fetched.begin(), fetched.end());
    std::vector<std::string> expected;
    for (int i = 0; i < c.rows; ++i) expected.push_back(prefix + std::to_string(i) + ".ts");
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(fetched, expected);
    EXPECT_LE(peak.load(), c.maxConcurrent);
    EXPECT_GE(peak.load(), 1);
    EXPECT_TRUE(context().shared.DownloadIdle);
  }
}

TEST_F(DownloadTest, FailedSegmentsAreNotSuccessesAndTheTaskDoesNotMerge) {
  ServePlaylist("/index.m3u8", Bodies(5));
  server.Serve("/seg/1.ts", HttpReply::Ok("not here", 404));
  HttpReply cut = HttpReply::Ok(std::string(5000, 'c'));
  cut.closeAfterBodyBytes = 100;
  server.Serve("/seg/3.ts", cut);
  // Busy twice, then fine: retried within the run.
  server.ServeSequence("/seg/4.ts", {HttpReply::Ok("busy", 503), HttpReply::Ok("busy", 503)},
                       HttpReply::Ok("segment 4\n"));
  const ListView::RowId task = Add(server.Url("/index.m3u8"), "失败");
  ASSERT_TRUE(RunToEnd());
  EXPECT_TEXT_EQ("下载失败", Status(task));
  const std::vector<Text> expected = {"下载成功", "下载失败", "下载成功", "下载失败", "下载成功"};
  for (int row = 0; row < 5; ++row) {
    SCOPED_TRACE(row);
    EXPECT_TEXT_EQ(expected[row], segments().GetCell(row, 1));
    EXPECT_EQ(FileExists(Tmp() + SegmentFileName(row)), expected[row] == "下载成功");
    EXPECT_FALSE(FileExists(Tmp() + SegmentPartName(row)));
  }
  EXPECT_EQ(ReadWholeFile(Tmp() + "tmp_4"), "segment 4\n");
  EXPECT_EQ(server.RequestsTo("/seg/1.ts").size(), 1u);  // a 404 is not retried
  EXPECT_EQ(server.RequestsTo("/seg/3.ts").size(), 3u);
  EXPECT_EQ(server.RequestsTo("/seg/4.ts").size(), 3u);
  EXPECT_FALSE(FileExists(save + "失败.mp4"));
  // The counter saw only the segments that arrived (reset at the run's end,
  // so read the rows' own count).
  EXPECT_TRUE(context().shared.DownloadIdle);
}

TEST_F(DownloadTest, ResumingAFailedTaskFetchesOnlyItsMissingRows) {
  ServePlaylist("/index.m3u8", Bodies(4));
  server.ServeSequence("/seg/2.ts", {HttpReply::Ok("", 404)}, HttpReply::Ok("segment 2\n"));
  const ListView::RowId task = Add(server.Url("/index.m3u8"), "续传");
  ASSERT_TRUE(RunToEnd());
  ASSERT_TEXT_EQ("下载失败", Status(task));
  const size_t before = server.RequestCount();
  ASSERT_TRUE(RunToEnd());
  // The second run: URL check, playlist, and segment 2 alone.
  std::vector<std::string> again;
  const auto requests = server.Requests();
  for (size_t i = before; i < requests.size(); ++i) again.push_back(requests[i].path());
  EXPECT_EQ(again, (std::vector<std::string>{"/index.m3u8", "/index.m3u8", "/seg/2.ts"}));
  // All four arrived, so the task went on to the merge.
  EXPECT_NE(Status(task), "下载失败");
  EXPECT_NE(Status(task), "开始下载");
}

TEST_F(DownloadTest, LeftoversAndOtherTasksFilesNeverStandForASegment) {
  ServePlaylist("/index.m3u8", Bodies(3));
  MakeDirectoryPath(Tmp());
  // Another task's files, and a half-written file of a crash.
  PrepareSegmentDirectory(Tmp(), "/elsewhere/\tother", {"http://x/0", "http://x/1"});
  WriteWholeFile(Tmp() + "tmp_0", "other task's bytes");
  WriteWholeFile(Tmp() + "tmp_2.part", "half");
  const ListView::RowId task = Add(server.Url("/index.m3u8"), "干净");
  StatusRecorder recorder(tasks(), task);
  ASSERT_TRUE(RunToEnd());
  ASSERT_TRUE(recorder.Saw("开始合并"));
  // Every segment was fetched; the merged file holds exactly their bytes,
  // in row order (the transcoder then refuses the fake media).
  for (int i = 0; i < 3; ++i)
    EXPECT_EQ(server.RequestsTo("/seg/" + std::to_string(i) + ".ts").size(), 1u);
  EXPECT_EQ(ReadWholeFile(save + "干净.mp4"), "segment 0\nsegment 1\nsegment 2\n");
}
