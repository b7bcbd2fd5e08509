#include "platform/child_process.h"

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <thread>

#include "media/transcoder_output.h"
#include "platform/files.h"
#include "support/gbk_text.h"
#include "support/temp_dir.h"

namespace {

struct ChildRun {
  ExitStatus status;
  std::string output;
  size_t largestChunk = 0;
};

ChildRun RunToEnd(const Text& commandLine, size_t maxBytes = 1023) {
  ChildProcess child;
  ChildRun run;
  EXPECT_TRUE(child.Start(commandLine)) << ToUtf8(commandLine);
  run.status = child.ReadUntilExit(maxBytes, [&](std::string_view chunk) {
    run.output.append(chunk);
    run.largestChunk = std::max(run.largestChunk, chunk.size());
  });
  return run;
}

TEST(ChildProcess, OutputAndErrorShareOnePipeAndTheEndIsReported) {
  struct Case {
    const char* script;
    const char* output;
    bool signalled;
    int codeOrSignal;
  };
  const Case cases[] = {
      {"printf out1; printf err1 >&2; printf out2", "out1err1out2", false, 0},
      {"printf x >&2; exit 3", "x", false, 3},
      {"kill -TERM $$", "", true, SIGTERM},
  };
  for (const Case& c : cases) {
    ChildRun run = RunToEnd(Text("/bin/sh -c \"") + c.script + "\"");
    EXPECT_EQ(c.output, run.output) << c.script;
    EXPECT_EQ(c.signalled, run.status.signalled) << c.script;
    EXPECT_EQ(c.codeOrSignal, c.signalled ? run.status.signal : run.status.code) << c.script;
    EXPECT_EQ(!c.signalled && c.codeOrSignal == 0, run.status.Succeeded());
  }
}

TEST(ChildProcess, ReadsTakeAtMostTheirSize) {
  ChildRun run = RunToEnd("/bin/sh -c \"head -c 5000 /dev/zero | tr '\\0' x\"");
  EXPECT_EQ(std::string(5000, 'x'), run.output);
  EXPECT_LE(run.largestChunk, 1023u);
  EXPECT_TRUE(run.status.Succeeded());
}

TEST(ChildProcess, ProgramAndArgumentsWithChineseNamesAndBlanks) {
  TempDir dir;
  Text directory = dir / "程序 目录/";
  ASSERT_TRUE(MakeDirectoryPath(directory));
  Text program = directory + "回显 程序";
  ASSERT_TRUE(WriteWholeFile(program, "#!/bin/sh\nprintf '[%s]' \"$@\"\n"));
  ASSERT_EQ(0, ::chmod(ToUtf8(program).c_str(), 0755));

  ChildRun run = RunToEnd("\"" + program + "\" \"参数 一\" 二 \"\"");
  // The child sees UTF-8; back in the system it is the same GBK text.
  EXPECT_TEXT_EQ("[参数 一][二][]", FromUtf8(run.output));
  EXPECT_TRUE(run.status.Succeeded());
}

TEST(ChildProcess, WhatCannotRunDoesNotStart) {
  TempDir dir;
  Text notExecutable = dir / "plain file";
  ASSERT_TRUE(WriteWholeFile(notExecutable, "#!/bin/sh\n"));
  for (Text line : {Text(""), Text("   "), dir / "missing", "\"" + notExecutable + "\""}) {
    ChildProcess child;
    EXPECT_FALSE(child.Start(line)) << ToUtf8(line);
    EXPECT_EQ(0, child.pid());
    EXPECT_EQ(OutputRead::Kind::kEnded, child.Read(1023, 0).kind);
    ExitStatus status = child.ReadUntilExit(1023, [](std::string_view) { ADD_FAILURE(); });
    EXPECT_FALSE(status.Succeeded());
    EXPECT_FALSE(child.Terminate());
  }
}

TEST(ChildProcess, TheChildReadsNoInputAndHasNoTerminal) {
  ChildRun run = RunToEnd(
      "/bin/sh -c \"cat; if (: </dev/tty) 2>/dev/null; then echo tty; else echo no tty; fi\"");
  EXPECT_EQ("no tty\n", run.output);
}

TEST(ChildProcess, NoOtherDescriptorIsInherited) {
  int fds[2];
  ASSERT_EQ(0, ::pipe(fds));  // deliberately without close-on-exec
  std::string check;
  for (int fd : fds)
    check +=
        "if [ -e /proc/$$/fd/" + std::to_string(fd) + " ]; then echo open; else echo closed; fi;";
  ChildRun run = RunToEnd("/bin/sh -c \"" + check + "\"");
  ::close(fds[0]);
  ::close(fds[1]);
  EXPECT_EQ("closed\nclosed\n", run.output);
}

TEST(ChildProcess, ASilentChildTimesOutAndIsEndedFromAnotherThread) {
  ChildProcess child;
  ASSERT_TRUE(child.Start("/bin/sh -c \"exec sleep 30\""));
  EXPECT_EQ(OutputRead::Kind::kTimedOut, child.Read(1023, 20).kind);
  EXPECT_FALSE(child.HasExited());

  std::thread closer([&] { EXPECT_TRUE(child.Terminate()); });
  ExitStatus status = child.ReadUntilExit(1023, [](std::string_view) {});
  closer.join();
  EXPECT_TRUE(status.signalled);
  EXPECT_EQ(SIGKILL, status.signal);
  EXPECT_TRUE(child.HasExited());
  EXPECT_FALSE(child.Terminate());  // reaped: its id is no longer ours to signal
  EXPECT_TRUE(child.Wait().signalled);
}

TEST(ChildProcess, AGrandchildHoldingThePipeDoesNotHoldUpTheEnd) {
  ChildRun run = RunToEnd("/bin/sh -c \"sleep 30 & echo $!\"");
  EXPECT_TRUE(run.status.Succeeded());
  pid_t grandchild = std::stoi(run.output);
  ASSERT_GT(grandchild, 0);
  EXPECT_EQ(0, ::kill(grandchild, SIGKILL));
}

TEST(ChildProcess, DestroyingTheObjectEndsAndReapsItsChild) {
  pid_t pid;
  {
    ChildProcess child;
    ASSERT_TRUE(child.Start("/bin/sh -c \"exec sleep 30\""));
    pid = child.pid();
    ASSERT_GT(pid, 0);
  }
  EXPECT_EQ(-1, ::kill(pid, 0));
  EXPECT_EQ(ESRCH, errno);
}

TEST(ChildProcess, TheRealTranscodersBannerIsRecognised) {
  ChildProcess child;
  ASSERT_TRUE(child.Start("/usr/bin/ffmpeg -version"));
  TranscoderOutputState state;
  BeginTranscoderRun(state);
  std::vector<Text> statuses;
  std::string firstChunk;
  ExitStatus status = child.ReadUntilExit(1023, [&](std::string_view chunk) {
    if (firstChunk.empty()) firstChunk = chunk;
    for (Text& word : ParseTranscoderChunk(chunk, state).statuses) statuses.push_back(word);
  });
  EXPECT_TRUE(status.Succeeded());
  ASSERT_FALSE(statuses.empty()) << firstChunk;
  EXPECT_TEXT_EQ("正在转码", statuses.front());
}

}  // namespace
