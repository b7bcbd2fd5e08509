#include "app/settings.h"

#include <gtest/gtest.h>

#include "platform/files.h"
#include "platform/profile.h"
#include "support/app_harness.h"
#include "support/gbk_text.h"

using testing_support::AppHarness;

TEST(SettingsTest, FirstStartWritesTheDefaultFileAndFillsTheBoxes) {
  AppHarness harness;
  const Text path = harness.programDirectory() + "/data/config.ini";
  const Text saveDirectory = DefaultSaveDirectory();
  EXPECT_EQ(ReadWholeFile(path), "[软件设置]\r\n下载地址=" + saveDirectory +
                                     "\r\n正则=//[^\\s]*\r\n线程数=10\r\n地址或头=http:\r\n");
  // The four fixed lines are 77 bytes with the original save directory.
  EXPECT_EQ(DefaultSettingsFile("d:\\视频下载\\").size(), 77u);
  ASSERT_GT(saveDirectory.size(), Text("/视频下载/").size());
  EXPECT_EQ(saveDirectory.substr(saveDirectory.size() - Text("/视频下载/").size()), "/视频下载/");
  MainWindow& w = harness.window();
  EXPECT_TEXT_EQ(saveDirectory, w.编辑框_保存位置.text());
  EXPECT_TEXT_EQ("//[^\\s]*", w.编辑框_正则.text());
  EXPECT_TEXT_EQ("10", w.编辑框_线程数.text());
  EXPECT_TEXT_EQ("http:", w.编辑框_地址或头.text());
}

TEST(SettingsTest, MissingKeyGivesEmptyBoxAndIsWrittenBackEmpty) {
  AppHarness::Options options;
  options.start = false;
  AppHarness harness(options);
  const Text path = harness.programDirectory() + "/data/config.ini";
  MakeDirectoryPath(harness.programDirectory() + "/data");
  WriteWholeFile(path, "[软件设置]\r\n下载地址=/v/\r\n线程数=4\r\n地址或头=http:\r\n");
  harness.app().WindowCreated();
  EXPECT_TEXT_EQ("", harness.window().编辑框_正则.text());
  EXPECT_TEXT_EQ("4", harness.window().编辑框_线程数.text());
  EXPECT_NE(ReadWholeFile(path)->find("\r\n正则=\r\n"), std::string::npos);
}

TEST(SettingsTest, ChangedBoxesAndOtherSectionsSurviveARestart) {
  AppHarness harness;
  const Text path = harness.programDirectory() + "/data/config.ini";
  WriteProfileString("其他", "键", "值", path);
  MainWindow& w = harness.window();
  w.编辑框_保存位置.SetText("/srv/视频/");
  w.编辑框_正则.SetText("[^\\s]+\\.ts");
  w.编辑框_线程数.SetText("16");
  w.编辑框_地址或头.SetText("https:");
  harness.Restart();
  MainWindow& again = harness.window();
  EXPECT_TEXT_EQ("/srv/视频/", again.编辑框_保存位置.text());
  EXPECT_TEXT_EQ("[^\\s]+\\.ts", again.编辑框_正则.text());
  EXPECT_TEXT_EQ("16", again.编辑框_线程数.text());
  EXPECT_TEXT_EQ("https:", again.编辑框_地址或头.text());
  EXPECT_TEXT_EQ("值", ReadProfileString("其他", "键", path));
}
