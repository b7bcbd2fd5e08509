#include "media/ensure_transcoder.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include "platform/files.h"
#include "support/app_harness.h"
#include "support/gbk_text.h"
#include "support/test_http_server.h"

using namespace testing_support;

namespace {

AppHarness::Options NotInstalled(const std::string& url) {
  AppHarness::Options options;
  options.installTranscoder = false;
  options.transcoderUrl = url;
  return options;
}

}  // namespace

TEST(EnsureTranscoderTest, RightSizeAsksNothing) {
  AppHarness harness;
  EXPECT_TRUE(harness.desktop().messages().empty());
  EXPECT_EQ(EnsureTranscoder(harness.context()), 1);
  EXPECT_TRUE(harness.desktop().messages().empty());
}

TEST(EnsureTranscoderTest, DecliningCreatesNothing) {
  AppHarness harness(NotInstalled("http://127.0.0.1:1/none"));
  const auto messages = harness.desktop().messages();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_TEXT_EQ("亲，检测到未安装转码运行库，是否自动安装？", messages[0].text);
  EXPECT_TEXT_EQ("温馨提示：", messages[0].caption);
  EXPECT_EQ(messages[0].buttons, MessageButtons::YesNo);
  EXPECT_EQ(messages[0].icon, MessageIcon::Error);
  EXPECT_FALSE(FileExists(harness.programDirectory() + "/data/M3U8.exe"));
}

TEST(EnsureTranscoderTest, YesInstallsFromTheServerAndMakesItExecutable) {
  TestHttpServer server;
  HttpReply reply;
  reply.bodyFile = Text(kSystemFfmpeg);
  server.Serve("/ffmpeg", reply);
  AppHarness::Options options = NotInstalled(server.Url("/ffmpeg"));
  options.start = false;
  AppHarness harness(options);
  harness.desktop().ScriptAnswers({MessageAnswer::Yes});
  EXPECT_EQ(EnsureTranscoder(harness.context()), 1);
  const auto messages = harness.desktop().messages();
  ASSERT_EQ(messages.size(), 3u);
  EXPECT_TEXT_EQ("需要等待提示安装成功！", messages[1].text);
  EXPECT_EQ(messages[1].icon, MessageIcon::Warning);
  EXPECT_TEXT_EQ("安装成功！", messages[2].text);
  EXPECT_EQ(messages[2].icon, MessageIcon::Information);
  EXPECT_TEXT_EQ("信息：", messages[2].caption);
  const Text path = harness.programDirectory() + "/data/M3U8.exe";
  EXPECT_EQ(ReadWholeFile(path), ReadWholeFile(kSystemFfmpeg));
  struct stat st;
  ASSERT_EQ(::stat(ToUtf8(path).c_str(), &st), 0);
  EXPECT_TRUE(st.st_mode & S_IXUSR);
  // The next start asks nothing.
  harness.desktop().ClearRecords();
  harness.Restart();
  EXPECT_TRUE(harness.desktop().messages().empty());
}

TEST(EnsureTranscoderTest, AFailedOrWrongDownloadIsNotASuccess) {
  TestHttpServer server;
  server.Serve("/small", HttpReply::Ok("not the transcoder"));
  for (const char* path : {"/missing", "/small"}) {
    SCOPED_TRACE(path);
    AppHarness::Options options = NotInstalled(server.Url(path));
    options.start = false;
    AppHarness harness(options);
    harness.desktop().ScriptAnswers({MessageAnswer::Yes});
    EnsureTranscoder(harness.context());
    const auto messages = harness.desktop().messages();
    ASSERT_EQ(messages.size(), 3u);
    EXPECT_TEXT_EQ("安装失败！", messages[2].text);
    EXPECT_EQ(messages[2].icon, MessageIcon::Error);
    EXPECT_FALSE(FileExists(harness.programDirectory() + "/data/M3U8.exe"));
  }
}
