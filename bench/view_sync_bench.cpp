// Prints what the main window's view costs while a download list of 2,000
// rows is written by 10 threads: the writers' throughput, how late a change
// reaches its widget, how long the GUI thread's event loop is held up, and
// the GUI thread's CPU share. Runs on the offscreen platform.

#include <time.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLineEdit>
#include <QTimer>
#include <QTreeView>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/main_window.h"
#include "app/view/cjk_font.h"
#include "app/view/main_window_view.h"

namespace {

constexpr int kRows = 2000;
constexpr int kThreads = 10;
using Clock = std::chrono::steady_clock;

double ThreadCpuMs() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

// Runs the event loop for `ms` while measuring it.
struct LoopFigures {
  double maxGapMs = 0;  // longest wait of a 5 ms timer beyond its period
  double cpuShare = 0;
};
LoopFigures RunLoop(int ms) {
  LoopFigures figures;
  QElapsedTimer since;
  QTimer beat;
  since.start();
  QObject::connect(&beat, &QTimer::timeout, [&] {
    figures.maxGapMs = std::max(figures.maxGapMs, since.nsecsElapsed() / 1e6 - 5);
    since.restart();
  });
  beat.start(5);
  const double cpu0 = ThreadCpuMs();
  QElapsedTimer wall;
  wall.start();
  QEventLoop loop;
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  loop.exec();
  figures.cpuShare = (ThreadCpuMs() - cpu0) / wall.elapsed();
  return figures;
}

double Percentile(std::vector<double> values, double p) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  return values[std::min(values.size() - 1, static_cast<size_t>(p * values.size()))];
}

// One phase: writers change status cells (paced to `perThreadPerSecond`, or
// as fast as they can with 0) while a probe thread stamps the URL box.
void Phase(const char* name, MainWindow& window, MainWindowView& view, int perThreadPerSecond) {
  ListView& list = window.超级列表框_下载列表;
  auto* url = static_cast<QLineEdit*>(view.widgetOf(window.编辑框_m3u8地址));
  std::atomic<bool> stop{false};
  std::atomic<long> writes{0};

  std::mutex stampMutex;
  std::vector<Clock::time_point> stamps;
  std::vector<double> latencies;
  QObject::connect(url, &QLineEdit::textChanged, url, [&](const QString& text) {
    const auto shown = Clock::now();
    std::lock_guard lock(stampMutex);
    const size_t index = text.toULongLong();
    if (index < stamps.size())
      latencies.push_back(std::chrono::duration<double, std::milli>(shown - stamps[index]).count());
  });

  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      unsigned seed = 12345u + t;
      const auto start = Clock::now();
      for (long i = 0; !stop; ++i) {
        seed = seed * 1103515245u + 12345u;
        const int row = static_cast<int>(seed >> 8) % kRows;
        list.SetCell(row, segment_column::kStatus, (i & 1) ? "下载成功" : "正在下载");
        ++writes;
        if (perThreadPerSecond > 0)
          std::this_thread::sleep_until(
              start + std::chrono::microseconds((i + 1) * 1'000'000 / perThreadPerSecond));
      }
    });
  }
  std::thread probe([&] {
    for (size_t i = 0; !stop; ++i) {
      {
        std::lock_guard lock(stampMutex);
        stamps.push_back(Clock::now());
      }
      window.编辑框_m3u8地址.SetText(std::to_string(i));
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  });

  constexpr int kMs = 3000;
  const LoopFigures loop = RunLoop(kMs);
  stop = true;
  for (std::thread& t : threads) t.join();
  probe.join();
  QObject::disconnect(url, &QLineEdit::textChanged, nullptr, nullptr);
  view.FlushNow();

  std::printf(
      "%-28s writes/s %9.0f  change->widget ms p50 %5.1f p99 %5.1f max %5.1f  "
      "loop stall max %5.1f ms  GUI CPU %3.0f%%\n",
      name, writes * 1000.0 / kMs, Percentile(latencies, 0.5), Percentile(latencies, 0.99),
      Percentile(latencies, 1.0), loop.maxGapMs, loop.cpuShare * 100);
}

}  // namespace

// With an argument "paced" or "unpaced", only that phase runs (for a profiler).
int main(int mainArgc, char** mainArgv) {
  const std::string only = mainArgc > 1 ? mainArgv[1] : "";
  int argc = 3;
  char arg0[] = "vantrelo_view_sync_bench", arg1[] = "-platform", arg2[] = "offscreen";
  char* argv[] = {arg0, arg1, arg2, nullptr};
  QApplication application(argc, argv);
  UseCjkCapableFont(application);

  MainWindow window;
  MainWindowView view(window);
  view.show();
  RunLoop(100);

  ListView& list = window.超级列表框_下载列表;
  for (int i = 0; i < kRows; ++i) {
    const int row = list.AppendRow();
    list.SetCell(row, segment_column::kAddress,
                 "http://cdn.example.com/hls/segment-" + std::to_string(i) + ".ts");
  }
  QElapsedTimer timer;
  timer.start();
  view.FlushNow();
  std::printf("first sync of %d new rows: %.2f ms\n", kRows, timer.nsecsElapsed() / 1e6);

  for (int i = 0; i < kRows; ++i) list.SetCell(i, segment_column::kStatus, "下载成功");
  timer.restart();
  view.FlushNow();
  std::printf("sync with all %d rows changed: %.2f ms\n", kRows, timer.nsecsElapsed() / 1e6);
  list.SetCell(kRows / 2, segment_column::kStatus, "x");
  timer.restart();
  view.FlushNow();
  std::printf("sync with one row changed: %.2f ms\n", timer.nsecsElapsed() / 1e6);

  if (only != "unpaced") Phase("10 threads x 200 writes/s", window, view, 200);
  if (only != "paced") Phase("10 threads, unpaced", window, view, 0);
  return 0;
}
