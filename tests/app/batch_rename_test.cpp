#include "app/batch_rename.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "platform/files.h"
#include "support/app_harness.h"
#include "support/gbk_text.h"

using testing_support::AppHarness;

namespace {

std::vector<Text> Sorted(std::vector<Text> names) {
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace

TEST(BatchRenameTest, NumbersFilesInEnumerationOrderAndSkipsDirectories) {
  AppHarness harness;
  const Text save = harness.dir().path() + "save/";
  MakeDirectoryPath(save + "子目录");
  for (const char* name : {"a.mp4", "第二.ts", "notes.txt"}) WriteWholeFile(save + name, name);
  const std::vector<Text> order = FindFiles(save + "*.*");
  harness.window().编辑框_保存位置.SetText(save);
  harness.window().按钮_批量改名.Click();
  for (size_t i = 0; i < order.size(); ++i)
    EXPECT_EQ(ReadWholeFile(save + "#" + DecimalText(i + 1) + ".mp4"), order[i]);
  EXPECT_EQ(Sorted(FindFiles(save + "*.*")), (std::vector<Text>{"#1.mp4", "#2.mp4", "#3.mp4"}));
  EXPECT_TRUE(IsDirectory(save + "子目录"));
  EXPECT_TRUE(harness.desktop().messages().empty());
}

TEST(BatchRenameTest, AClashLeavesBothFilesIntact) {
  AppHarness harness;
  const Text save = harness.dir().path() + "save/";
  MakeDirectoryPath(save);
  for (const char* name : {"x1", "x2", "#2.mp4"}) WriteWholeFile(save + name, name);
  const std::vector<Text> order = FindFiles(save + "*.*");
  harness.window().编辑框_保存位置.SetText(save);
  harness.window().按钮_批量改名.Click();
  // Every original content is still somewhere: nothing was overwritten.
  std::vector<std::string> contents;
  for (const Text& name : FindFiles(save + "*.*")) contents.push_back(*ReadWholeFile(save + name));
  EXPECT_EQ(Sorted(contents), (std::vector<std::string>{"#2.mp4", "x1", "x2"}));
  // When "#2.mp4" is listed after the second file, that file keeps its name.
  const size_t clash = std::find(order.begin(), order.end(), "#2.mp4") - order.begin();
  if (clash > 1) {
    EXPECT_TRUE(FileExists(save + order[1]));
  }
}

TEST(BatchRenameTest, MissingDirectoryChangesNothing) {
  AppHarness harness;
  harness.window().编辑框_保存位置.SetText(harness.dir().path() + "missing/");
  harness.window().按钮_批量改名.Click();
  EXPECT_TRUE(harness.desktop().messages().empty());
  EXPECT_TRUE(FindFiles(harness.dir().path() + "*.*").empty());
}
