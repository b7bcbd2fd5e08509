// Prints how long the playlist analysis spends in the regex object: Create
// with the initial content pattern, Execute over a generated 100,000-line
// playlist, then GetMatch for every match, as the task runner does.

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/text.h"
#include "regex/regex_object.h"

namespace {

constexpr int kLines = 100'000;
constexpr int kRuns = 7;

// Header lines, then #EXTINF and address lines in turn. `title` goes into
// every #EXTINF line, so a GBK title puts the conversion to work.
Text MakePlaylist(const Text& title) {
  Text playlist = "#EXTM3U\r\n#EXT-X-VERSION:3\r\n#EXT-X-TARGETDURATION:10\r\n";
  char line[160];
  for (int i = 0; 3 + 2 * i + 1 < kLines; ++i) {
    playlist += "#EXTINF:10.010," + title + "\r\n";
    std::snprintf(line, sizeof line,
                  "https://cdn.example.com/vod/2024/0815/hls/1080p/segment-%06d.ts?auth=%08x\r\n",
                  i, static_cast<unsigned>(i) * 2654435761u);
    playlist += line;
  }
  playlist += "#EXT-X-ENDLIST\r\n";
  return playlist;
}

void Measure(const char* name, const Text& playlist) {
  std::vector<double> executeMs;
  std::vector<double> totalMs;
  std::int32_t count = 0;
  std::size_t bytes = 0;
  for (int run = 0; run < kRuns; ++run) {
    RegexObject regex;
    const auto start = std::chrono::steady_clock::now();
    regex.Create("//[^\\s]*");
    count = regex.Execute(playlist);
    const auto executed = std::chrono::steady_clock::now();
    bytes = 0;
    for (std::int32_t i = 1; i <= count; ++i) bytes += regex.GetMatch(i).size();
    const auto read = std::chrono::steady_clock::now();
    executeMs.push_back(std::chrono::duration<double, std::milli>(executed - start).count());
    totalMs.push_back(std::chrono::duration<double, std::milli>(read - start).count());
  }
  std::sort(executeMs.begin(), executeMs.end());
  std::sort(totalMs.begin(), totalMs.end());
  std::printf(
      "%-22s %7.2f MB, %6d matches (%zu bytes): Create+Execute median %7.2f ms (min %7.2f), "
      "with all GetMatch median %7.2f ms\n",
      name, playlist.size() / 1e6, count, bytes, executeMs[kRuns / 2], executeMs[0],
      totalMs[kRuns / 2]);
}

}  // namespace

int main() {
  std::printf("regex object over a %d-line playlist, pattern //[^\\s]*, %d runs\n", kLines, kRuns);
  Measure("ASCII playlist", MakePlaylist(""));
  Measure("Chinese titles", MakePlaylist("第一季 第十二集 《示例标题》"));
  return 0;
}
