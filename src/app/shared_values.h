#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <thread>

#include "platform/text.h"

class ChildProcess;

// The values that the system's routines share across threads, owned by the
// application. The numbers are read and written whole (atomics); each has
// one writing thread except SegmentDoneCount, which the workers increment.
struct SharedValues {
  // True while no download run is active; an analysis hands its task to the
  // download driver only when true.
  std::atomic<bool> DownloadIdle{true};
  // 1-based number of the task row the runner looks at; 0 outside a run.
  std::atomic<std::int32_t> CurrentTaskNumber{0};
  // Matches of the last analysis.
  std::atomic<std::int32_t> MatchCount{0};
  // Finished segments of the current task.
  std::atomic<std::int32_t> SegmentDoneCount{0};
  // Input duration read from the transcoder's output (task-runner thread only).
  Text DurationText;

  // The task-runner thread of the current or last run (window thread only).
  std::thread TaskRunnerThread;
  // The latest finishing thread of a transcode (task-runner thread only).
  std::thread FinishThread;

  // Set once when the window is being destroyed: background work ends as
  // soon as it can, and nothing new starts.
  std::atomic<bool> closing{false};

  // The transcoder process this program is running, null when none; the
  // window's end terminates it (only this process, never another one of
  // the same name). Set and cleared by the task runner under the lock.
  std::mutex transcoderMutex;
  ChildProcess* transcoder = nullptr;
};
