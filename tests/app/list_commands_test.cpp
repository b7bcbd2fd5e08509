#include "app/list_commands.h"

#include <gtest/gtest.h>

#include "support/app_harness.h"
#include "support/gbk_text.h"
#include "tasks/task_list.h"

using testing_support::AppHarness;

namespace {

void AddRows(ListView& list, int rows, int column, const Text& prefix) {
  for (int i = 0; i < rows; ++i)
    list.SetCell(list.AppendRow(), column, prefix + DecimalText(i + 1));
}

}  // namespace

TEST(ListCommandsTest, MenuAndCopiesActOnlyOnTheSelection) {
  AppHarness harness;
  MainWindow& w = harness.window();
  HeadlessDesktop& desktop = harness.desktop();
  w.超级列表框_任务.RightClick();
  w.超级列表框_任务.DoubleClick();
  w.超级列表框_下载列表.DoubleClick();
  EXPECT_TRUE(desktop.popups().empty());
  EXPECT_FALSE(desktop.clipboard().has_value());

  AddRows(w.超级列表框_任务, 3, task_column::kNumber, "");
  for (int row = 0; row < 3; ++row) w.超级列表框_任务.SetCell(row, task_column::kUrl, "http://u");
  w.超级列表框_任务.SetSelection(2);
  w.超级列表框_任务.RightClick();
  ASSERT_EQ(desktop.popups().size(), 1u);
  EXPECT_EQ(desktop.popups()[0], &w.右键);
  w.右键.Select(0);  // "复制地址" copies the number, not the URL
  EXPECT_EQ(desktop.clipboard(), Text("3"));
  w.超级列表框_任务.SetSelection(0);
  w.超级列表框_任务.DoubleClick();
  EXPECT_EQ(desktop.clipboard(), Text("1"));

  AddRows(w.超级列表框_下载列表, 2, segment_column::kAddress, "http://127.0.0.1/seg");
  w.超级列表框_下载列表.SetSelection(1);
  w.超级列表框_下载列表.DoubleClick();
  EXPECT_EQ(desktop.clipboard(), Text("http://127.0.0.1/seg2"));
}

TEST(ListCommandsTest, DeleteRemovesOnlyTasksNobodyWorksOn) {
  AppHarness harness;
  MainWindow& w = harness.window();
  ListView& tasks = w.超级列表框_任务;
  struct Case {
    Text status;
    bool deletable;
  } cases[] = {{"", true},          {"任务完成", true},  {"下载失败", true},  {"合并失败", true},
               {"转码失败", true},  {"授权失败", true},  {"数据无效", true},  {"地址错误", true},
               {"正在分析", false}, {"网址失效", false}, {"开始下载", false}, {"开始合并", false},
               {"正在转码", false}, {"转码：50%", false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(ToUtf8(c.status));
    harness.desktop().ClearRecords();
    tasks.RemoveAllRows();
    AddRows(tasks, 2, task_column::kNumber, "");
    SetTaskStatus(harness.context(), 1, c.status);
    tasks.SetSelection(1);
    w.右键.Select(1);
    EXPECT_EQ(tasks.RowCount(), c.deletable ? 1 : 2);
    if (c.deletable) {
      EXPECT_TRUE(harness.desktop().messages().empty());
    } else {
      ASSERT_EQ(harness.desktop().messages().size(), 1u);
      EXPECT_TEXT_EQ("只能删除执行完的任务或未执行的任务！", harness.desktop().messages()[0].text);
    }
  }
}

TEST(ListCommandsTest, ChooseAndOpenTheSaveDirectory) {
  AppHarness harness;
  MainWindow& w = harness.window();
  HeadlessDesktop& desktop = harness.desktop();
  const Text before = w.编辑框_保存位置.text();
  desktop.ScriptFolders({std::nullopt, Text("/srv/视频"), Text("/srv/b/")});
  w.按钮_选择目录.Click();
  EXPECT_TEXT_EQ(before, w.编辑框_保存位置.text());
  w.按钮_选择目录.Click();
  EXPECT_TEXT_EQ("/srv/视频/", w.编辑框_保存位置.text());
  w.按钮_选择目录.Click();
  EXPECT_TEXT_EQ("/srv/b/", w.编辑框_保存位置.text());
  EXPECT_EQ(desktop.browseTitles(), (std::vector<Text>{"打开", "打开", "打开"}));
  // The choice is saved at once.
  harness.Restart();
  EXPECT_TEXT_EQ("/srv/b/", harness.window().编辑框_保存位置.text());
  harness.window().按钮_查看.Click();
  EXPECT_EQ(desktop.openedPaths(), (std::vector<Text>{"/srv/b/"}));
}

TEST(ListCommandsTest, RefreshStatusShowsCountsAndRoundedProgress) {
  AppHarness harness;
  MainWindow& w = harness.window();
  w.时钟1.Tick();
  EXPECT_EQ(w.进度条1.position(), 0);
  EXPECT_TEXT_EQ("当前任务：0/0", w.状态条1.PanelText(0));
  EXPECT_TEXT_EQ("当前下载：0/0", w.状态条1.PanelText(1));
  EXPECT_TEXT_EQ("进度：", w.状态条1.PanelText(2));

  AddRows(w.超级列表框_下载列表, 8, segment_column::kAddress, "http://s/");
  AddRows(w.超级列表框_任务, 2, task_column::kNumber, "");
  harness.context().shared.SegmentDoneCount = 1;
  harness.context().shared.CurrentTaskNumber = 2;
  const int repaints = harness.desktop().repaints();
  w.时钟1.Tick();
  EXPECT_EQ(w.进度条1.position(), 13);  // 12.5 rounds up
  EXPECT_TEXT_EQ("当前任务：2/2", w.状态条1.PanelText(0));
  EXPECT_TEXT_EQ("当前下载：1/8", w.状态条1.PanelText(1));
  EXPECT_EQ(harness.desktop().repaints(), repaints + 1);
  // A stopped timer does not tick.
  w.时钟1.SetPeriod(0);
  harness.context().shared.SegmentDoneCount = 8;
  w.时钟1.Tick();
  EXPECT_EQ(w.进度条1.position(), 13);
  EXPECT_EQ(ProgressPercent(3, 8), 38);  // 37.5
  EXPECT_EQ(ProgressPercent(1, 3), 33);
}
