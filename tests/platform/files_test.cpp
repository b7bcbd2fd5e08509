#include "platform/files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>
#include <vector>

#include "support/gbk_text.h"
#include "support/temp_dir.h"

TEST(FilesTest, WholeFileWriteReadDelete) {
  TempDir dir;
  const Text path = dir / "视频.bin";
  const std::string bytes("a\0b\r\n", 5);
  ASSERT_TRUE(WriteWholeFile(path, bytes));
  EXPECT_TRUE(FileExists(path));
  EXPECT_FALSE(IsDirectory(path));
  EXPECT_EQ(ReadWholeFile(path), bytes);
  EXPECT_EQ(FileSize(path), 5);
  ASSERT_TRUE(WriteFileAtomically(path, "x"));
  EXPECT_EQ(ReadWholeFile(path), "x");
  EXPECT_TRUE(DeleteFileAt(path));
  EXPECT_FALSE(FileExists(path));
  EXPECT_FALSE(ReadWholeFile(path).has_value());
  EXPECT_EQ(FileSize(path), -1);
  EXPECT_FALSE(WriteWholeFile(dir / "missing/x", "y"));
}

TEST(FilesTest, MakeDirectoryPathFromManyThreadsAtOnce) {
  TempDir dir;
  const Text path = dir / "a/下载/c";
  std::vector<std::thread> threads;
  std::vector<char> results(8);
  for (int i = 0; i < 8; ++i)
    threads.emplace_back([&, i] { results[i] = MakeDirectoryPath(path); });
  for (auto& t : threads) t.join();
  EXPECT_TRUE(std::all_of(results.begin(), results.end(), [](char r) { return r; }));
  EXPECT_TRUE(IsDirectory(path));
  EXPECT_TRUE(MakeDirectoryPath(path + "/"));
}

TEST(FilesTest, RenameNoReplaceNeverOverwrites) {
  TempDir dir;
  WriteWholeFile(dir / "a", "A");
  WriteWholeFile(dir / "b", "B");
  EXPECT_FALSE(RenameNoReplace(dir / "a", dir / "b"));
  EXPECT_EQ(ReadWholeFile(dir / "a"), "A");
  EXPECT_EQ(ReadWholeFile(dir / "b"), "B");
  EXPECT_TRUE(RenameNoReplace(dir / "a", dir / "c"));
  EXPECT_EQ(ReadWholeFile(dir / "c"), "A");
}

TEST(FilesTest, FindFilesMatchesThePrefixAndSkipsDirectories) {
  TempDir dir;
  MakeDirectoryPath(dir / "save");
  WriteWholeFile(dir / "save/片1.mp4", "");
  WriteWholeFile(dir / "save/other", "");
  MakeDirectoryPath(dir / "save/sub.mp4");
  WriteWholeFile(dir / "saved.txt", "");
  WriteWholeFile(dir / "nosave", "");

  auto sorted = [](std::vector<Text> v) {
    std::sort(v.begin(), v.end());
    return v;
  };
  EXPECT_EQ(sorted(FindFiles(dir / "save/*.*")), (std::vector<Text>{"other", "片1.mp4"}));
  // Without a final "/", the last part is a prefix of names in the parent.
  EXPECT_EQ(sorted(FindFiles(dir / "save*.*")), (std::vector<Text>{"saved.txt"}));
  EXPECT_TRUE(FindFiles(dir / "missing/*.*").empty());
}
