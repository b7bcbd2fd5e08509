#include "tasks/task_runner.h"

#include <gtest/gtest.h>

#include <condition_variable>

#include "support/status_recorder.h"
#include "support/task_fixture.h"

using namespace testing_support;

namespace {

// Holds requests until opened, so a test can act while a task is running.
class Gate {
 public:
  void Wait() {
    std::unique_lock lock(mutex_);
    opened_.wait_for(lock, std::chrono::seconds(10), [&] { return open_; });
  }
  void Open() {
    {
      std::lock_guard lock(mutex_);
      open_ = true;
    }
    opened_.notify_all();
  }

 private:
  std::mutex mutex_;
  std::condition_variable opened_;
  bool open_ = false;
};

}  // namespace

class TaskRunnerTest : public TaskFixture {};

TEST_F(TaskRunnerTest, PlaylistLinesWithSlashesBecomeDownloadRowsInOrder) {
  server.Serve("/a.ts", HttpReply::Ok("A"));
  server.Serve("/b.ts", HttpReply::Ok("B"));
  const std::string origin = server.origin().substr(5);  // "//127.0.0.1:PORT"
  server.Serve("/index.m3u8", HttpReply::Ok("#EXTM3U\n#EXTINF:1,\n" + origin +
                                            "/a.ts\nrelative.ts\n" + "#EXT-X-KEY:URI=\"x\"\n" +
                                            origin + "/b.ts\n" + origin + "/missing.ts\n"));
  Add(server.Url("/index.m3u8"), "三段");
  ASSERT_TRUE(RunToEnd());
  ASSERT_EQ(segments().RowCount(), 3);
  EXPECT_EQ(context().shared.MatchCount, 3);
  EXPECT_EQ(segments().GetCell(0, 0), "http:" + origin + "/a.ts");
  EXPECT_EQ(segments().GetCell(1, 0), "http:" + origin + "/b.ts");
  EXPECT_EQ(segments().GetCell(2, 0), "http:" + origin + "/missing.ts");
}

TEST_F(TaskRunnerTest, EmptyThreadCountAsksAndStartsNothing) {
  Add(server.Url("/index.m3u8"), "x");
  window().编辑框_线程数.SetText("");
  window().按钮_开始任务.Click();
  EXPECT_EQ(harness.desktop().messageTexts(), std::vector<Text>{"请输入线程数"});
  EXPECT_EQ(window().focus(), &window().编辑框_线程数);
  EXPECT_TRUE(window().按钮_开始任务.enabled());
  EXPECT_FALSE(context().shared.TaskRunnerThread.joinable());
  EXPECT_EQ(server.RequestCount(), 0u);
}

TEST_F(TaskRunnerTest, SaveDirectoryGainsItsSlashBeforeTheFirstTask) {
  window().编辑框_保存位置.SetText(harness.dir().path() + "新目录");
  const ListView::RowId task = Add(server.Url("/none"), "x");
  ASSERT_TRUE(RunToEnd());
  EXPECT_TEXT_EQ(harness.dir().path() + "新目录/", window().编辑框_保存位置.text());
  // The queued task keeps the text it was added with; its directory is made.
  EXPECT_TEXT_EQ(harness.dir().path() + "新目录", tasks().GetCellById(task, 4));
  EXPECT_TRUE(IsDirectory(harness.dir().path() + "新目录"));
  EXPECT_TEXT_EQ("当前任务：0/0", window().状态条1.PanelText(0));
  EXPECT_TEXT_EQ("当前下载：0/0", window().状态条1.PanelText(1));
  EXPECT_EQ(window().时钟1.period(), 0);
}

TEST_F(TaskRunnerTest, DeadUrlOr404IsMarkedAndNeverAnalysed) {
  const ListView::RowId notFound = Add(server.Url("/gone.m3u8"), "a");
  const ListView::RowId refused = Add("http://127.0.0.1:1/x.m3u8", "b");
  ASSERT_TRUE(RunToEnd());
  EXPECT_TEXT_EQ("网址失效", Status(notFound));
  EXPECT_TEXT_EQ("网址失效", Status(refused));
  EXPECT_EQ(server.RequestsTo("/gone.m3u8").size(), 1u);  // the check only
}

TEST_F(TaskRunnerTest, EmptyDownloadListGoesToMergeAndSaysSo) {
  server.Serve("/empty.m3u8", HttpReply::Ok("#EXTM3U\nrelative.ts\n"));
  const ListView::RowId task = Add(server.Url("/empty.m3u8"), "空");
  StatusRecorder recorder(tasks(), task);
  ASSERT_TRUE(RunToEnd());
  EXPECT_EQ(recorder.seen(), (std::vector<Text>{"正在分析", "开始下载", "开始合并"}));
  EXPECT_EQ(harness.desktop().messageTexts(), std::vector<Text>{"不可以合并"});
  EXPECT_TRUE(context().shared.DownloadIdle);
  EXPECT_FALSE(FileExists(save + "空.mp4"));
}

TEST_F(TaskRunnerTest, TaskAddedDuringAPassIsTakenUpInASecondPass) {
  Gate gate;
  server.Handle("/slow.ts", [&](const RecordedRequest&) {
    gate.Wait();
    return HttpReply::Ok("S");
  });
  server.Serve("/first.m3u8", HttpReply::Ok(server.Url("/slow.ts").substr(5) + "\n"));
  server.Serve("/second.m3u8", HttpReply::Ok("#EXTM3U\n"));
  const ListView::RowId first = Add(server.Url("/first.m3u8"), "一");
  window().按钮_开始任务.Click();
  ASSERT_TRUE(server.WaitForRequests(3));  // check, playlist, segment
  const ListView::RowId second = Add(server.Url("/second.m3u8"), "二");
  gate.Open();
  ASSERT_TRUE(WaitForRunEnd());
  EXPECT_NE(Status(first), "");
  EXPECT_TEXT_EQ("开始合并", Status(second));  // analysed: no segments, nothing to merge
}

TEST_F(TaskRunnerTest, DeletingATaskAboveTheRunningOneKeepsTheRunnerOnItsTask) {
  Gate gate;
  server.Handle("/slow.ts", [&](const RecordedRequest&) {
    gate.Wait();
    return HttpReply(HttpReply::Ok("", 404));
  });
  server.Serve("/empty.m3u8", HttpReply::Ok("#EXTM3U\n"));
  server.Serve("/running.m3u8", HttpReply::Ok(server.Url("/slow.ts").substr(5) + "\n"));
  window().编辑框_保存位置.SetText(save);
  const ListView::RowId above = Add(server.Url("/gone.m3u8"), "above");
  const ListView::RowId running = Add(server.Url("/running.m3u8"), "running");
  const ListView::RowId below = Add(server.Url("/empty.m3u8"), "below");
  window().按钮_开始任务.Click();
  ASSERT_TRUE(WaitUntil([&] { return server.RequestsTo("/slow.ts").size() == 1; }));
  // "above" is "网址失效" now, which may not be deleted; make it waiting-done.
  tasks().SetCellById(above, 3, "任务完成");
  tasks().SetSelection(tasks().IndexOf(above));
  window().右键.Select(1);
  ASSERT_EQ(tasks().IndexOf(above), -1);
  gate.Open();
  ASSERT_TRUE(WaitForRunEnd());
  EXPECT_TEXT_EQ("下载失败", Status(running));
  EXPECT_TEXT_EQ("开始合并", Status(below));
  EXPECT_EQ(tasks().RowCount(), 2);
}
