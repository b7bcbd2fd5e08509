#pragma once

#include <string_view>
#include <vector>

#include "platform/text.h"

// Reading the transcoder's console output. The output arrives in chunks (the
// bytes of one read from its pipe); every chunk is parsed on its own, with
// plain substring searches and no line buffer, so a phrase cut by a chunk
// boundary is not recognised. Only the duration line is pieced together
// across two chunks, through the state.

// What the parser keeps between chunks. The owner keeps one for the life of
// the program and lets one transcoder run at a time use it; the parser only
// touches what it is given, from the thread that parses.
struct TranscoderOutputState {
  // The input's duration as printed, normally "HH:MM:SS.cc". Survives from
  // chunk to chunk and from run to run; emptied when a run reports
  // completion, replaced by the next chunk that holds "Duration".
  Text durationText;
  // The last chunk ended right after "Duration: ": the next chunk begins
  // with the duration.
  bool durationAwaited = false;
  // The last error word ("授权失败", "数据无效", "地址错误") that this run's
  // output produced; empty when there was none.
  Text errorWord;
  // True once this run has printed its closing statistics.
  bool completed = false;
};

// Readies the state for a new run: forgets the error word and the completion
// of the last run; the duration stays, as it always has between runs.
void BeginTranscoderRun(TranscoderOutputState& state);

// What the caller must do after a chunk.
struct TranscoderChunkResult {
  // Status words for the task, in the order they are to be written; the
  // last one is what the task shows. Empty: leave the status as it is.
  std::vector<Text> statuses;
  // The closing statistics arrived: the finishing step (delete the merged
  // file, give the output its name) must run now.
  bool finish = false;
};

// Parses one chunk (taken up to its first zero byte) and updates `state`.
// In order:
//  1. the first known phrase in the chunk (the banner "Copyright (c) 2000-"
//     year " the FFmpeg developers" of any year, then the error phrases)
//     gives a status word, and the rest of the chunk is ignored;
//  2. a "Duration: " line sets the duration (a hundredths digit cut off at
//     the chunk's end is replaced by a random one; a line cut right after
//     "Duration: " ends the chunk's parsing, and the next chunk gives the
//     duration: its text before the first comma, or all of it);
//  3. a duration split from its line ("start" in a chunk while no duration
//     is known) is taken from the text before the first comma;
//  4. a progress line ("frame=" ... "time=" ... " bitrate=") gives
//     "转码：" with the percentage, unless the duration gives 0 seconds;
//  5. the closing statistics ("other streams:" with text before "global")
//     give "转码完成", ask for the finishing step and empty the duration.
// Pure apart from the random digit; any thread.
TranscoderChunkResult ParseTranscoderChunk(std::string_view chunk, TranscoderOutputState& state);

// The status a run that did not succeed leaves on its task: the error word
// its output produced, or "转码失败" when it produced none (the transcoder
// could not start, was killed or failed silently).
Text TranscodeFailureStatus(const TranscoderOutputState& state);
