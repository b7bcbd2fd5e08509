#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "platform/files.h"
#include "support/app_harness.h"
#include "support/gbk_text.h"
#include "support/test_http_server.h"

namespace testing_support {

// A headless application, a loopback server and a save directory, with
// helpers to queue and run tasks through the window's own handlers.
class TaskFixture : public ::testing::Test {
 protected:
  explicit TaskFixture(AppHarness::Options options = {}) : harness(std::move(options)) {
    save = harness.dir().path() + "save/";
    window().编辑框_保存位置.SetText(save);
  }

  MainWindow& window() { return harness.window(); }
  AppContext& context() { return harness.context(); }
  ListView& tasks() { return window().超级列表框_任务; }
  ListView& segments() { return window().超级列表框_下载列表; }

  // Serves a playlist at `path` whose segments are /seg/<i>.ts with the
  // given bodies, as absolute addresses; returns the playlist's URL.
  std::string ServePlaylist(const std::string& path, const std::vector<std::string>& bodies,
                            const std::string& segmentPrefix = "/seg/") {
    std::string playlist = "#EXTM3U\n#EXT-X-TARGETDURATION:1\n";
    for (size_t i = 0; i < bodies.size(); ++i) {
      const std::string segmentPath = segmentPrefix + std::to_string(i) + ".ts";
      server.Serve(segmentPath, HttpReply::Ok(bodies[i]));
      playlist += "#EXTINF:1.0,\n" + server.Url(segmentPath) + "\n";
    }
    playlist += "#EXT-X-ENDLIST\n";
    server.Serve(path, HttpReply::Ok(playlist));
    return server.Url(path);
  }

  // Queues a task through "添加任务"; returns its row identity.
  ListView::RowId Add(const std::string& url, const Text& fileName) {
    window().编辑框_m3u8地址.SetText(url);
    window().编辑框_文件名.SetText(fileName);
    window().按钮_添加任务.Click();
    const int rows = tasks().RowCount();
    return rows == 0 ? 0 : tasks().IdAt(rows - 1);
  }

  Text Status(ListView::RowId task) { return tasks().GetCellById(task, 3); }

  // Clicks "开始任务" and waits until the run has ended.
  bool RunToEnd(std::chrono::milliseconds timeout = std::chrono::seconds(60)) {
    window().按钮_开始任务.Click();
    return WaitForRunEnd(timeout);
  }
  bool WaitForRunEnd(std::chrono::milliseconds timeout = std::chrono::seconds(60)) {
    return WaitUntil([&] { return window().按钮_开始任务.enabled(); }, timeout);
  }

  std::vector<std::string> RequestedPaths(const std::string& prefix) {
    std::vector<std::string> paths;
    for (const RecordedRequest& r : server.Requests())
      if (r.path().rfind(prefix, 0) == 0) paths.push_back(r.path());
    return paths;
  }

  TestHttpServer server;
  AppHarness harness;
  Text save;
};

}  // namespace testing_support
