#include "tasks/add_task.h"

#include <gtest/gtest.h>

#include "platform/files.h"
#include "support/app_harness.h"
#include "support/gbk_text.h"

using testing_support::AppHarness;

namespace {

struct Boxes {
  Text url, fileName, saveDirectory, pattern;
};

void Fill(MainWindow& w, const Boxes& boxes) {
  w.编辑框_m3u8地址.SetText(boxes.url);
  w.编辑框_文件名.SetText(boxes.fileName);
  w.编辑框_保存位置.SetText(boxes.saveDirectory);
  w.编辑框_正则.SetText(boxes.pattern);
}

}  // namespace

TEST(AddTaskTest, ChecksRunInOrderWithTheirMessageAndFocus) {
  AppHarness harness;
  MainWindow& w = harness.window();
  const Text save = harness.dir().path() + "save/";
  MakeDirectoryPath(save);
  WriteWholeFile(save + "done.mp4", "");
  WriteWholeFile(save + "Case.MP4", "");
  MakeDirectoryPath(save + "dir.mp4");
  // An existing task named "queued".
  Fill(w, {"http://h/a.m3u8", "queued", save, "//[^\\s]*"});
  w.按钮_添加任务.Click();
  ASSERT_EQ(w.超级列表框_任务.RowCount(), 1);

  struct Case {
    Boxes boxes;
    Text message;  // empty: the task is added
    Control* focus;
  } cases[] = {
      {{"", "", "", ""}, "请输入m3u8文件地址", &w.编辑框_m3u8地址},
      {{"HTTP://H/A.M3U8", "a", save, "p"}, "请正确输入m3u8文件地址", &w.编辑框_m3u8地址},
      {{"ftp:x?u=http", "", save, "p"}, "请输入文件名", &w.编辑框_文件名},
      {{"http://h", "a", "", "p"}, "请输入保存位置", &w.编辑框_保存位置},
      {{"http://h", "a", save, ""}, "请输入正则内容", &w.编辑框_正则},
      {{"http://h", "queued", save, "p"}, "任务列表有重名文件！", &w.编辑框_文件名},
      {{"http://h", "done", save, "p"}, "已下载文件有重名！", &w.编辑框_文件名},
      {{"http://h", "QUEUED", save, "p"}, "", nullptr},
      {{"http://h", "case", save, "p"}, "", nullptr},
      {{"http://h", "dir", save, "p"}, "", nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(ToUtf8(c.boxes.fileName + " " + c.message));
    harness.desktop().ClearRecords();
    w.SetFocus(nullptr);
    const int rowsBefore = w.超级列表框_任务.RowCount();
    Fill(w, c.boxes);
    w.按钮_添加任务.Click();
    if (c.message.empty()) {
      EXPECT_TRUE(harness.desktop().messages().empty());
      EXPECT_EQ(w.超级列表框_任务.RowCount(), rowsBefore + 1);
      continue;
    }
    ASSERT_EQ(harness.desktop().messages().size(), 1u);
    const MessageRequest m = harness.desktop().messages()[0];
    EXPECT_TEXT_EQ(c.message, m.text);
    EXPECT_TEXT_EQ("信息：", m.caption);
    EXPECT_EQ(m.buttons, MessageButtons::Ok);
    EXPECT_EQ(w.focus(), c.focus);
    EXPECT_EQ(w.超级列表框_任务.RowCount(), rowsBefore);
    EXPECT_TEXT_EQ(c.boxes.url, w.编辑框_m3u8地址.text());
  }
}

TEST(AddTaskTest, AppendsTheRowAndClearsOnlyTheUrl) {
  AppHarness harness;
  MainWindow& w = harness.window();
  Fill(w, {"http://h/a.m3u8", "第一集", "/nowhere/x", "//[^\\s]*"});
  w.按钮_添加任务.Click();
  ListView& tasks = w.超级列表框_任务;
  ASSERT_EQ(tasks.RowCount(), 1);
  const std::vector<Text> expected = {"1", "http://h/a.m3u8", "第一集",
                                      "",  "/nowhere/x",      "//[^\\s]*"};
  for (int column = 0; column < 6; ++column)
    EXPECT_TEXT_EQ(expected[column], tasks.GetCell(0, column));
  EXPECT_TEXT_EQ("", w.编辑框_m3u8地址.text());
  EXPECT_TEXT_EQ("第一集", w.编辑框_文件名.text());
  EXPECT_TEXT_EQ("/nowhere/x", w.编辑框_保存位置.text());
}

TEST(AddTaskTest, SaveDirectoryWithoutSlashSearchesTheParentByPrefix) {
  AppHarness harness;
  MainWindow& w = harness.window();
  const Text parent = harness.dir().path();
  WriteWholeFile(parent + "videoclip.mp4", "");
  // "…/video" + "*.*" lists the parent's entries whose names begin with
  // "video": "videoclip.mp4" is found for the name "videoclip".
  Fill(w, {"http://h", "clip", parent + "video", "p"});
  w.按钮_添加任务.Click();
  EXPECT_EQ(w.超级列表框_任务.RowCount(), 1);
  Fill(w, {"http://h", "videoclip", parent + "video", "p"});
  w.按钮_添加任务.Click();
  EXPECT_EQ(w.超级列表框_任务.RowCount(), 1);
  ASSERT_FALSE(harness.desktop().messages().empty());
  EXPECT_TEXT_EQ("已下载文件有重名！", harness.desktop().messages().back().text);
  Fill(w, {"http://h", "videoclip", parent + "other", "p"});
  w.按钮_添加任务.Click();
  EXPECT_EQ(w.超级列表框_任务.RowCount(), 2);
}

TEST(AddTaskTest, NumbersFollowTheRowCountAfterADelete) {
  AppHarness harness;
  MainWindow& w = harness.window();
  for (const char* name : {"a", "b", "c"})
    Fill(w, {"http://h", name, "/x/", "p"}), w.按钮_添加任务.Click();
  w.超级列表框_任务.SetSelection(1);
  w.右键.Select(1);  // "删除任务"
  Fill(w, {"http://h", "d", "/x/", "p"});
  w.按钮_添加任务.Click();
  ListView& tasks = w.超级列表框_任务;
  ASSERT_EQ(tasks.RowCount(), 3);
  EXPECT_TEXT_EQ("1", tasks.GetCell(0, 0));
  EXPECT_TEXT_EQ("3", tasks.GetCell(1, 0));
  EXPECT_TEXT_EQ("3", tasks.GetCell(2, 0));
}
