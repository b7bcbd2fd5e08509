#include "platform/profile.h"

#include <gtest/gtest.h>

#include "platform/files.h"
#include "support/gbk_text.h"
#include "support/temp_dir.h"

TEST(ProfileTest, ReadFindsSectionsAndKeysWithoutCase) {
  TempDir dir;
  const Text path = dir / "config.ini";
  WriteWholeFile(path,
                 "[Other]\r\nkey=wrong\r\n[软件设置]\r\n  线程数 = 10  \r\nQuoted=\"a b\"\r\n"
                 "Name=x=y\r\n");
  EXPECT_TEXT_EQ("10", ReadProfileString("软件设置", "线程数", path));
  EXPECT_TEXT_EQ("a b", ReadProfileString("软件设置", "quoted", path));
  EXPECT_TEXT_EQ("x=y", ReadProfileString("软件设置", "NAME", path));
  EXPECT_TEXT_EQ("wrong", ReadProfileString("OTHER", "KEY", path));
  EXPECT_TEXT_EQ("", ReadProfileString("软件设置", "key", path));
  EXPECT_TEXT_EQ("", ReadProfileString("软件设置", "x", dir / "missing.ini"));
}

TEST(ProfileTest, LongValuesAreCutToTheReadBuffer) {
  TempDir dir;
  const Text path = dir / "config.ini";
  WriteProfileString("s", "k", std::string(20000, 'v'), path);
  EXPECT_EQ(ReadProfileString("s", "k", path).size(), kProfileReadBuffer - 1);
}

TEST(ProfileTest, WriteCreatesReplacesAndLeavesOtherLinesAlone) {
  TempDir dir;
  const Text path = dir / "config.ini";
  ASSERT_TRUE(WriteProfileString("软件设置", "正则", "a", path));
  EXPECT_EQ(ReadWholeFile(path), "[软件设置]\r\n正则=a\r\n");

  WriteWholeFile(path, "; note\n[软件设置]\r\n正则=a\r\n\r\n[Keep]\r\nx = 1\r\n");
  ASSERT_TRUE(WriteProfileString("软件设置", "正则", "", path));
  ASSERT_TRUE(WriteProfileString("软件设置", "线程数", "10", path));
  ASSERT_TRUE(WriteProfileString("New", "k", "v", path));
  EXPECT_EQ(ReadWholeFile(path),
            "; note\n[软件设置]\r\n正则=\r\n线程数=10\r\n\r\n[Keep]\r\nx = 1\r\n[New]\r\nk=v\r\n");
  EXPECT_FALSE(WriteProfileString("s", "k", "v", dir / "missing/config.ini"));
}
