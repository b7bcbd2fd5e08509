#pragma once

#include <chrono>
#include <functional>
#include <memory>

#include "app/application.h"
#include "app/headless_desktop.h"
#include "support/temp_dir.h"

namespace testing_support {

// Debian's FFmpeg, which the tests install as the transcoder.
inline const char kSystemFfmpeg[] = "/usr/bin/ffmpeg";

// One headless application in a fresh program directory.
class AppHarness {
 public:
  struct Options {
    // Put Debian's FFmpeg in place as data/M3U8.exe before the start, with
    // the size the check expects, so the start asks nothing.
    bool installTranscoder = true;
    // Where the installer downloads from, when not installed beforehand.
    Text transcoderUrl;
    // Run the window-created steps in the constructor.
    bool start = true;
  };
  AppHarness() : AppHarness(Options{}) {}
  explicit AppHarness(Options options);
  ~AppHarness();

  // Ends the application (as closing the window does) and starts a new one
  // on the same program directory.
  void Restart();

  const Text& programDirectory() const { return programDirectory_; }
  Application& app() { return *app_; }
  AppContext& context() { return app_->context(); }
  MainWindow& window() { return app_->window(); }
  HeadlessDesktop& desktop() { return desktop_; }
  TempDir& dir() { return dir_; }

 private:
  Options options_;
  TempDir dir_;
  Text programDirectory_;
  HeadlessDesktop desktop_;
  std::unique_ptr<Application> app_;
};

// Polls `condition` every few milliseconds until it holds or `timeout`
// passes; returns whether it held.
bool WaitUntil(const std::function<bool()>& condition,
               std::chrono::milliseconds timeout = std::chrono::seconds(20));

}  // namespace testing_support
