#include "support/app_harness.h"

#include <thread>

#include <sys/stat.h>

#include "platform/files.h"

namespace testing_support {

AppHarness::AppHarness(Options options) : options_(std::move(options)) {
  programDirectory_ = dir_.path() + "program";
  MakeDirectoryPath(programDirectory_);
  if (options_.installTranscoder) {
    MakeDirectoryPath(programDirectory_ + "/data");
    const Text target = programDirectory_ + "/data/M3U8.exe";
    WriteWholeFile(target, ReadWholeFile(kSystemFfmpeg).value_or(""));
    ::chmod(ToUtf8(target).c_str(), 0755);
  }
  Restart();
}

AppHarness::~AppHarness() { app_.reset(); }

void AppHarness::Restart() {
  app_.reset();
  app_ = std::make_unique<Application>(
      programDirectory_, desktop_,
      TranscoderSource{options_.transcoderUrl, FileSize(kSystemFfmpeg)});
  if (options_.start) app_->WindowCreated();
}

bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
  const auto end = std::chrono::steady_clock::now() + timeout;
  while (!condition()) {
    if (std::chrono::steady_clock::now() >= end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return true;
}

}  // namespace testing_support
