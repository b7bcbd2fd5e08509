#include <gtest/gtest.h>

#include "platform/files.h"
#include "support/app_harness.h"
#include "support/gbk_text.h"

using testing_support::AppHarness;

TEST(StartupTest, WindowHasEveryControlWithItsInitialText) {
  AppHarness::Options options;
  options.start = false;
  AppHarness harness(options);
  MainWindow& w = harness.window();
  EXPECT_EQ(w.place, (Rect{50, 50, 1039, 580}));
  EXPECT_TEXT_EQ("Vantrelo By Brisquell", w.title);
  EXPECT_TEXT_EQ("D:\\AAAA\\", w.编辑框_保存位置.text());
  EXPECT_TEXT_EQ("//[^\\s]*", w.编辑框_正则.text());
  EXPECT_TEXT_EQ("10", w.编辑框_线程数.text());
  EXPECT_TEXT_EQ("http:", w.编辑框_地址或头.text());
  EXPECT_EQ(w.编辑框_m3u8地址.parent(), &w.分组框1);
  EXPECT_EQ(w.时钟1.period(), 1000);
  for (Control* hidden : std::initializer_list<Control*>{&w.按钮_开始下载, &w.按钮_暂停,
                                                         &w.按钮_合并, &w.按钮_分析, &w.标签1})
    EXPECT_FALSE(hidden->visible()) << ToUtf8(hidden->name());
  ASSERT_EQ(w.右键.items.size(), 2u);
  EXPECT_TEXT_EQ("复制地址", w.右键.items[0].caption);
  EXPECT_TEXT_EQ("删除任务", w.右键.items[1].caption);
  const auto& columns = w.超级列表框_任务.columns();
  ASSERT_EQ(columns.size(), 6u);
  EXPECT_TEXT_EQ("M3U8地址", columns[1].header);
  EXPECT_EQ(columns[4].width, 0);
}

TEST(StartupTest, WindowCreatedPlacesProgressBarFocusesUrlAndEmptiesTmp) {
  AppHarness::Options options;
  options.start = false;
  AppHarness harness(options);
  const Text tmp = harness.programDirectory() + "/tmp/";
  MakeDirectoryPath(tmp + "sub");
  WriteWholeFile(tmp + "tmp_0", "left over");
  WriteWholeFile(tmp + "tmp_3.part", "x");
  WriteWholeFile(tmp + "sub/keep", "x");
  harness.app().WindowCreated();

  MainWindow& w = harness.window();
  EXPECT_EQ(w.进度条1.parent(), &w.状态条1);
  EXPECT_EQ(w.进度条1.place().left, 292);
  EXPECT_EQ(w.进度条1.place().top, 3);
  EXPECT_EQ(w.进度条1.place().width, w.状态条1.place().width - 294);
  EXPECT_EQ(w.focus(), &w.编辑框_m3u8地址);
  EXPECT_TRUE(harness.context().shared.DownloadIdle);
  EXPECT_FALSE(FileExists(tmp + "tmp_0"));
  EXPECT_FALSE(FileExists(tmp + "tmp_3.part"));
  EXPECT_TRUE(FileExists(tmp + "sub/keep"));
  // The transcoder is in place, so the start asked nothing.
  EXPECT_TRUE(harness.desktop().messages().empty());
}

TEST(StartupTest, MissingTmpDirectoryStaysMissing) {
  AppHarness harness;
  EXPECT_FALSE(FileExists(harness.programDirectory() + "/tmp"));
}

TEST(StartupTest, SeveralInstancesLiveSideBySide) {
  AppHarness first, second;
  first.window().编辑框_线程数.SetText("3");
  second.window().编辑框_线程数.SetText("7");
  first.Restart();
  second.Restart();
  EXPECT_TEXT_EQ("3", first.window().编辑框_线程数.text());
  EXPECT_TEXT_EQ("7", second.window().编辑框_线程数.text());
}
