#include "download/segment_directory.h"

#include <gtest/gtest.h>

#include "platform/files.h"
#include "support/temp_dir.h"

TEST(SegmentDirectoryTest, KeepsOnlyFilesOfTheSameTaskAndAddress) {
  TempDir dir;
  const Text tmp = dir / "tmp/";
  ASSERT_TRUE(PrepareSegmentDirectory(tmp, "task A", {"http://a/0", "http://a/1", "http://a/2"}));
  for (int row = 0; row < 3; ++row) WriteWholeFile(tmp + SegmentFileName(row), "A");
  WriteWholeFile(tmp + SegmentPartName(1), "half");
  WriteWholeFile(tmp + "unrelated", "u");

  // The same task again, with row 2's address changed: rows 0 and 1 stay.
  ASSERT_TRUE(PrepareSegmentDirectory(tmp, "task A", {"http://a/0", "http://a/1", "http://a/9"}));
  EXPECT_TRUE(FileExists(tmp + "tmp_0"));
  EXPECT_TRUE(FileExists(tmp + "tmp_1"));
  EXPECT_FALSE(FileExists(tmp + "tmp_1.part"));
  EXPECT_FALSE(FileExists(tmp + "tmp_2"));
  EXPECT_TRUE(FileExists(tmp + "unrelated"));

  // Another task: nothing of task A survives.
  ASSERT_TRUE(PrepareSegmentDirectory(tmp, "task B", {"http://a/0", "http://a/1"}));
  EXPECT_FALSE(FileExists(tmp + "tmp_0"));
  EXPECT_FALSE(FileExists(tmp + "tmp_1"));

  // Files without a record (an earlier program's) are not trusted either.
  WriteWholeFile(tmp + "tmp_0", "?");
  DeleteFileAt(tmp + "tmp_owner");
  ASSERT_TRUE(PrepareSegmentDirectory(tmp, "task B", {"http://a/0"}));
  EXPECT_FALSE(FileExists(tmp + "tmp_0"));
}
