#include "media/transcode_command.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/command_line.h"
#include "support/gbk_text.h"

namespace {

TEST(TranscodeCommand, TheLineIsExactlyTheTranscodersCall) {
  EXPECT_TEXT_EQ(
      "\"/opt/程序/data/M3U8.exe\" -threads 0 -i \"/home/用户/视频/第一集.mp4\" -c copy -y "
      "-bsf:a aac_adtstoasc \"/home/用户/视频/第一集_已转码.mp4\"",
      TranscodeCommandLine("/opt/程序", "/home/用户/视频/", "第一集"));
  // A save location without a final "/" runs straight into the file name.
  EXPECT_TEXT_EQ(
      "\"/p/data/M3U8.exe\" -threads 0 -i \"/videosname.mp4\" -c copy -y -bsf:a aac_adtstoasc "
      "\"/videosname_已转码.mp4\"",
      TranscodeCommandLine("/p", "/videos", "name"));
  EXPECT_TEXT_EQ("/p/data/M3U8.exe", TranscoderPath("/p"));
  EXPECT_TEXT_EQ("/s/f_已转码.mp4", TranscodedOutputPath("/s/", "f"));
}

TEST(TranscodeCommand, AnyFileNameSplitsBackIntoTheSameArguments) {
  const char* names[] = {
      "plain",
      "with blanks  and\ttab",
      "誠実",                     // the second byte of 誠 is a backslash byte
      "quote\"inside",            // a quote must not end the argument
      "x\" -f null \"/tmp/evil",  // nor smuggle in arguments
      "back\\slash\\\"quote",
      "trailing\\",
  };
  for (const char* name : names) {
    Text line = TranscodeCommandLine("/程序 目录", "/存 盘/", name);
    std::vector<Text> expected = {"/程序 目录/data/M3U8.exe",
                                  "-threads",
                                  "0",
                                  "-i",
                                  Text("/存 盘/") + name + ".mp4",
                                  "-c",
                                  "copy",
                                  "-y",
                                  "-bsf:a",
                                  "aac_adtstoasc",
                                  Text("/存 盘/") + name + "_已转码.mp4"};
    std::vector<Text> split = SplitCommandLine(line);
    ASSERT_EQ(expected.size(), split.size()) << ToUtf8(line);
    for (size_t i = 0; i < expected.size(); ++i) EXPECT_TEXT_EQ(expected[i], split[i]);
  }
}

}  // namespace
