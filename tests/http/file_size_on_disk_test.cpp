#include "http/file_size_on_disk.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/files.h"
#include "support/temp_dir.h"

namespace {

TEST(FileSizeOnDisk, SizeOfAWrittenFileMinusOneWhenMissing) {
  TempDir dir;
  ASSERT_TRUE(WriteWholeFile(dir / "written", std::string(100003, 'x')));
  ASSERT_TRUE(WriteWholeFile(dir / "empty", ""));
  EXPECT_EQ(FileSizeOnDisk(dir / "written"), 100003);
  EXPECT_EQ(FileSizeOnDisk(dir / "empty"), 0);
  EXPECT_EQ(FileSizeOnDisk(dir / "missing"), -1);
}

TEST(FileSizeOnDisk, ASparseFileOccupiesLessThanItsSize) {
  TempDir dir;
  const std::string path = ToUtf8(dir / "sparse");
  {
    std::ofstream out(path, std::ios::binary);
    out << "head";
  }
  // 35515392 bytes long, all but the first block a hole.
  std::filesystem::resize_file(path, 35515392);
  const std::int64_t onDisk = FileSizeOnDisk(dir / "sparse");
  EXPECT_GT(onDisk, 0);
  EXPECT_LT(onDisk, 35515392);
}

}  // namespace
