#include "media/transcoder_output.h"

#include <array>

#include "media/progress_text.h"
#include "media/random_digit.h"
#include "media/text_cut.h"

namespace {

struct KnownPhrase {
  std::string_view phrase;
  std::string_view status;
};

// Tested in this order after the banner; the first one found wins.
constexpr std::array<KnownPhrase, 5> kErrorPhrases{{
    {"Server returned 401 Unauthorized (authorization failed)", "授权失败"},
    {"The name does not resolve for the supplied parameters", "数据无效"},
    {"Invalid data found when processing input", "数据无效"},
    {"HTTP error 404 Not Found", "数据无效"},
    {"No such file or directory", "地址错误"},
}};

bool Contains(std::string_view text, std::string_view phrase) {
  return text.find(phrase) != std::string_view::npos;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The banner names the years of the build, so it changes every year: any
// four-digit year is accepted.
bool ContainsBanner(std::string_view chunk) {
  static constexpr std::string_view kBefore = "Copyright (c) 2000-";
  static constexpr std::string_view kAfter = " the FFmpeg developers";
  for (size_t pos = chunk.find(kBefore); pos != std::string_view::npos;
       pos = chunk.find(kBefore, pos + 1)) {
    std::string_view rest = chunk.substr(pos + kBefore.size());
    if (rest.size() >= 4 && IsDigit(rest[0]) && IsDigit(rest[1]) && IsDigit(rest[2]) &&
        IsDigit(rest[3]) && rest.substr(4).starts_with(kAfter))
      return true;
  }
  return false;
}

// A duration cut after its first hundredths digit gets a second one.
void CompleteCutDuration(Text& duration) {
  if (duration.size() == 10) duration.push_back(RandomDigit());
}

}  // namespace

void BeginTranscoderRun(TranscoderOutputState& state) {
  state.errorWord.clear();
  state.completed = false;
  state.durationAwaited = false;
}

TranscoderChunkResult ParseTranscoderChunk(std::string_view chunk, TranscoderOutputState& state) {
  TranscoderChunkResult result;
  chunk = chunk.substr(0, chunk.find('\0'));

  if (ContainsBanner(chunk)) {
    result.statuses.emplace_back("正在转码");
    return result;
  }
  for (const KnownPhrase& known : kErrorPhrases) {
    if (Contains(chunk, known.phrase)) {
      result.statuses.emplace_back(known.status);
      state.errorWord = known.status;
      return result;
    }
  }

  // FFmpeg writes its duration line in pieces ("  Duration: ", the value,
  // ", start: ", ...), and a reader that keeps up gets each piece as a
  // chunk of its own: the value then follows in the very next chunk.
  bool durationAwaited = state.durationAwaited;
  state.durationAwaited = false;

  if (Contains(chunk, "Duration")) {
    state.durationText = TextBetween(chunk, "Duration: ", ",");
    if (state.durationText.size() != 11) {
      // The line may run into the end of the chunk.
      if (state.durationText.empty()) state.durationText = TextAfterLast(chunk, "Duration: ");
      CompleteCutDuration(state.durationText);
      // Cut right after "Duration: ": the duration begins the next chunk.
      if (state.durationText.empty()) {
        state.durationAwaited = true;
        return result;
      }
    }
  } else if (durationAwaited && state.durationText.empty()) {
    state.durationText = Contains(chunk, ",") ? TextBefore(chunk, ",") : Text(chunk);
    CompleteCutDuration(state.durationText);
  }

  if (Contains(chunk, "start") && state.durationText.empty()) {
    state.durationText = TextBefore(chunk, ",");
    CompleteCutDuration(state.durationText);
  }

  if (Contains(chunk, "frame=") && !TextBetween(chunk, "time=", "bitrate").empty()) {
    Text timeText = TextBetween(chunk, "time=", " bitrate=");
    // Without a usable duration there is no percentage; the status stays.
    Text progress = ProgressText(state.durationText, timeText);
    if (!progress.empty()) result.statuses.push_back(std::move(progress));
  }

  if (Contains(chunk, "other streams:") &&
      !TextBetween(chunk, "other streams:", "global").empty()) {
    result.statuses.emplace_back("转码完成");
    result.finish = true;
    state.completed = true;
    state.durationText.clear();
  }
  return result;
}

Text TranscodeFailureStatus(const TranscoderOutputState& state) {
  return state.errorWord.empty() ? Text("转码失败") : state.errorWord;
}
