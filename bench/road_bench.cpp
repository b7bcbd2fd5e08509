// The whole road against FFmpeg's and yt-dlp's HLS downloads, on a loopback
// HLS server that adds a round trip per request, a handshake per new
// connection and a bandwidth cap per connection.
//
//   vantrelo_road_bench [--segments N] [--bytes S] [--delay MS] [--handshake MS]
//                       [--cap BYTES_PER_S] [--threads T] [--no-peers]
//
// Each tool runs as its own process, so its CPU time and peak memory are its
// own; the server counts the TCP connections each one opened.

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/files.h"
#include "support/app_harness.h"
#include "support/hls_stream.h"
#include "support/temp_dir.h"
#include "support/test_http_server.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
using testing_support::AppHarness;
using testing_support::HttpReply;
using testing_support::TestHttpServer;
using testing_support::TestHttpServerOptions;

struct Scenario {
  int segments = 200;
  std::int64_t bytes = 256 * 1024;
  int delayMs = 50;
  int handshakeMs = 100;
  std::int64_t cap = 4 * 1024 * 1024;
  int threads = 10;
  bool peers = true;
};

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

// Watches the task's status and notes when each stage began.
class StageClock : public ControlObserver {
 public:
  explicit StageClock(ListView& tasks) : tasks_(tasks) { tasks_.SetObserver(this); }
  ~StageClock() override { tasks_.SetObserver(nullptr); }
  void ControlChanged(Control&) override {
    const Text status = tasks_.GetCell(0, 3);
    std::lock_guard lock(mutex_);
    if (!firstSeen_.count(status)) firstSeen_[status] = Clock::now();
  }
  std::optional<Clock::time_point> At(const Text& status) {
    std::lock_guard lock(mutex_);
    auto it = firstSeen_.find(status);
    if (it == firstSeen_.end()) return std::nullopt;
    return it->second;
  }

 private:
  ListView& tasks_;
  std::mutex mutex_;
  std::map<Text, Clock::time_point> firstSeen_;
};

// The child process of our own road: one task through the window's handlers.
int RunRoad(const std::string& url, int threads) {
  AppHarness harness;
  MainWindow& w = harness.window();
  const Text save = harness.dir().path() + "save/";
  w.编辑框_保存位置.SetText(save);
  w.编辑框_线程数.SetText(DecimalText(threads));
  w.编辑框_m3u8地址.SetText(url);
  w.编辑框_文件名.SetText("bench");
  w.按钮_添加任务.Click();
  StageClock stages(w.超级列表框_任务);
  const auto start = Clock::now();
  w.按钮_开始任务.Click();
  testing_support::WaitUntil([&] { return w.按钮_开始任务.enabled(); }, std::chrono::minutes(10));
  const auto end = Clock::now();
  auto at = [&](const char* status) { return stages.At(status).value_or(end); };
  std::printf("split %.3f %.3f %.3f %.3f %s\n", Seconds(at("开始下载") - start),
              Seconds(at("开始合并") - at("开始下载")), Seconds(at("开始转码") - at("开始合并")),
              Seconds(end - at("开始转码")), ToUtf8(w.超级列表框_任务.GetCell(0, 3)).c_str());
  return w.超级列表框_任务.GetCell(0, 3) == "任务完成" ? 0 : 1;
}

struct Run {
  bool ran = false;
  int exitCode = -1;
  double wall = 0, cpu = 0;
  long peakRssKb = 0;
  int connections = 0;
  std::string output;
};

// Runs a command, capturing its standard output, and measures it.
Run Measure(const std::vector<std::string>& argv, TestHttpServer& server) {
  Run run;
  int pipeFds[2];
  if (::pipe(pipeFds) != 0) return run;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 1);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  const int connectionsBefore = server.ConnectionCount();
  const auto start = Clock::now();
  pid_t pid;
  const int spawned = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  ::close(pipeFds[1]);
  if (spawned != 0) {
    ::close(pipeFds[0]);
    return run;
  }
  // Peak memory of the process itself, read from its VmHWM while it runs
  // (the high-water mark that wait4 reports carries over from the parent).
  std::atomic<bool> running{true};
  std::atomic<long> peakKb{0};
  std::thread sampler([&] {
    const std::string statusPath = "/proc/" + std::to_string(pid) + "/status";
    while (running) {
      if (std::FILE* f = std::fopen(statusPath.c_str(), "r")) {
        char line[256];
        while (std::fgets(line, sizeof line, f))
          if (std::strncmp(line, "VmHWM:", 6) == 0)
            peakKb = std::max(peakKb.load(), std::atol(line + 6));
        std::fclose(f);
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  });
  char buffer[4096];
  ssize_t got;
  while ((got = ::read(pipeFds[0], buffer, sizeof buffer)) > 0) run.output.append(buffer, got);
  ::close(pipeFds[0]);
  int status = 0;
  rusage usage{};
  running = false;
  sampler.join();
  ::wait4(pid, &status, 0, &usage);
  run.wall = Seconds(Clock::now() - start);
  run.ran = true;
  run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  // wait4 reports the child with the children it waited for (the
  // transcoder, for us).
  run.cpu = usage.ru_utime.tv_sec + usage.ru_utime.tv_usec / 1e6 + usage.ru_stime.tv_sec +
            usage.ru_stime.tv_usec / 1e6;
  run.peakRssKb = peakKb;
  run.connections = server.ConnectionCount() - connectionsBefore;
  return run;
}

bool Installed(const char* program) {
  for (const char* dir : {"/usr/bin/", "/usr/local/bin/", "/bin/"})
    if (::access((std::string(dir) + program).c_str(), X_OK) == 0) return true;
  return false;
}

std::string SelfPath() {
  char path[4096];
  ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
  return n > 0 ? std::string(path, n) : std::string("vantrelo_road_bench");
}

}  // namespace

int main(int argc, char** argv) {
  ::signal(SIGPIPE, SIG_IGN);
  if (argc == 4 && std::strcmp(argv[1], "--road") == 0) return RunRoad(argv[2], std::atoi(argv[3]));
  Scenario s;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    auto next = [&]() -> long long { return i + 1 < argc ? std::atoll(argv[++i]) : 0; };
    if (a == "--segments")
      s.segments = static_cast<int>(next());
    else if (a == "--bytes")
      s.bytes = next();
    else if (a == "--delay")
      s.delayMs = static_cast<int>(next());
    else if (a == "--handshake")
      s.handshakeMs = static_cast<int>(next());
    else if (a == "--cap")
      s.cap = next();
    else if (a == "--threads")
      s.threads = static_cast<int>(next());
    else if (a == "--no-peers")
      s.peers = false;
    else {
      std::fprintf(stderr, "unknown option %s\n", a.c_str());
      return 2;
    }
  }

  const std::string self = SelfPath();
  const Text cache = FromUtf8(self.substr(0, self.rfind('/'))) + "/bench-cache";
  std::fprintf(stderr, "generating %d segments of about %lld bytes...\n", s.segments,
               static_cast<long long>(s.bytes));
  std::optional<HlsStream> stream =
      CachedHlsStream(cache, HlsStreamOptions{s.segments, 1.0, s.bytes});
  if (!stream) {
    std::fprintf(stderr, "could not generate the stream\n");
    return 1;
  }
  std::int64_t total = 0;
  for (std::int64_t size : stream->segmentSizes) total += size;

  // The remux time of the merged file: part of the floor.
  TempDir work;
  // Written segment by segment: the bench's own memory stays small, and
  // children inherit its high-water mark.
  {
    std::FILE* out = std::fopen(ToUtf8(work / "merged.ts").c_str(), "wb");
    if (!out) return 1;
    for (const Text& path : stream->segmentPaths) {
      const std::string bytes = ReadWholeFile(path).value_or("");
      std::fwrite(bytes.data(), 1, bytes.size(), out);
    }
    std::fclose(out);
  }

  TestHttpServerOptions options;
  options.responseDelay = std::chrono::milliseconds(s.delayMs);
  options.handshakeDelay = std::chrono::milliseconds(s.handshakeMs);
  options.bytesPerSecond = s.cap;
  TestHttpServer server(options);
  for (size_t i = 0; i < stream->segmentNames.size(); ++i) {
    HttpReply reply;
    reply.bodyFile = stream->segmentPaths[i];
    server.Serve("/" + stream->segmentNames[i], reply);
  }
  server.Serve("/index.m3u8", HttpReply::Ok(stream->PlaylistText(server.Url("/"))));
  const std::string url = server.Url("/index.m3u8");

  Run remux = Measure({"ffmpeg", "-v", "error", "-i", ToUtf8(work / "merged.ts"), "-c", "copy",
                       "-y", "-bsf:a", "aac_adtstoasc", ToUtf8(work / "remux.mp4")},
                      server);

  std::vector<std::pair<std::string, Run>> runs;
  runs.push_back({"vantrelo", Measure({self, "--road", url, std::to_string(s.threads)}, server)});
  if (s.peers) {
    if (Installed("ffmpeg"))
      runs.push_back({"ffmpeg", Measure({"ffmpeg", "-v", "error", "-i", url, "-c", "copy", "-y",
                                         ToUtf8(work / "ffmpeg.mp4")},
                                        server)});
    else
      std::printf("ffmpeg is not installed: skipped\n");
    if (Installed("yt-dlp"))
      runs.push_back(
          {"yt-dlp -N 10", Measure({"yt-dlp", "-q", "--no-progress", "-N", "10",
                                    "--hls-prefer-native", "-o", ToUtf8(work / "ytdlp.mp4"), url},
                                   server)});
    else
      std::printf("yt-dlp is not installed: skipped\n");
  }

  const double perRequest =
      s.delayMs / 1000.0 + (s.cap > 0 ? static_cast<double>(s.bytes) / s.cap : 0.0);
  const double floor = std::ceil(static_cast<double>(s.segments) / s.threads) * perRequest +
                       s.handshakeMs / 1000.0 + remux.wall;
  const double mb = total / 1e6;
  std::printf(
      "scenario: %d segments, %.1f MB, delay %d ms, handshake %d ms, cap %.1f MB/s per "
      "connection, %d threads\n",
      s.segments, mb, s.delayMs, s.handshakeMs, s.cap / 1048576.0, s.threads);
  std::printf("floor: %.2f s (remux of the merged file %.2f s)\n\n", floor, remux.wall);
  std::printf("| tool | wall s | MB/s | CPU s | peak RSS MB | connections | result |\n");
  std::printf("|---|---|---|---|---|---|---|\n");
  const double ours = runs[0].second.wall;
  for (const auto& [name, run] : runs) {
    std::printf("| %s | %.2f | %.1f | %.2f | %.1f | %d | %s |\n", name.c_str(), run.wall,
                mb / run.wall, run.cpu, run.peakRssKb / 1024.0, run.connections,
                run.exitCode == 0 ? "ok" : "FAILED");
  }
  double check = 0, download = 0, merge = 0, transcode = 0;
  char word[256] = "";
  std::sscanf(runs[0].second.output.c_str(), "split %lf %lf %lf %lf %255s", &check, &download,
              &merge, &transcode, word);
  std::printf(
      "\nvantrelo: URL check + analysis %.2f s, download %.2f s, merge %.2f s, transcode "
      "%.2f s; %.2f x the floor\n",
      check, download, merge, transcode, ours / floor);
  for (size_t i = 1; i < runs.size(); ++i)
    std::printf("%s takes %.2f x our time\n", runs[i].first.c_str(), runs[i].second.wall / ours);
  return runs[0].second.exitCode;
}
