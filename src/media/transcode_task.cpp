#include "media/transcode_task.h"

#include <chrono>
#include <thread>

#include "media/transcode_command.h"
#include "media/transcoder_output.h"
#include "platform/child_process.h"
#include "platform/files.h"
#include "tasks/task_list.h"
#include "tasks/task_status.h"

namespace {

constexpr size_t kChunkBytes = 1023;

struct TaskFiles {
  Text input;   // the merged file, and the final name
  Text output;  // the transcoder's output until it is renamed
};

TaskFiles FilesOf(AppContext& context, ListView::RowId task) {
  const Text save = TaskCell(context, task, task_column::kSaveDirectory);
  const Text name = TaskCell(context, task, task_column::kFileName);
  return {save + name + ".mp4", TranscodedOutputPath(save, name)};
}

// Waits for the finishing step of the last completion, never ending it.
void JoinFinishThread(SharedValues& shared) {
  if (shared.FinishThread.joinable()) shared.FinishThread.join();
}

}  // namespace

void FinishOutput(AppContext& context, ListView::RowId task) {
  const TaskFiles files = FilesOf(context, task);
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  if (!DeleteFileAt(files.input)) return;
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  RenameNoReplace(files.output, files.input);
}

bool RunTranscoder(AppContext& context, const Text& commandLine, ListView::RowId task) {
  SharedValues& shared = context.shared;
  TranscoderOutputState state;
  state.durationText = shared.DurationText;
  BeginTranscoderRun(state);
  ChildProcess transcoder;
  bool started = false;
  {
    std::lock_guard lock(shared.transcoderMutex);
    if (!shared.closing && transcoder.Start(commandLine)) {
      shared.transcoder = &transcoder;
      started = true;
    }
  }
  ExitStatus status;
  if (started) {
    status = transcoder.ReadUntilExit(kChunkBytes, [&](std::string_view chunk) {
      TranscoderChunkResult result = ParseTranscoderChunk(chunk, state);
      for (const Text& word : result.statuses) SetTaskStatus(context, task, word);
      if (result.finish) {
        JoinFinishThread(shared);
        shared.FinishThread = std::thread([&context, task] { FinishOutput(context, task); });
      }
      context.desktop.PumpPendingInput();
    });
    std::lock_guard lock(shared.transcoderMutex);
    shared.transcoder = nullptr;
  }
  JoinFinishThread(shared);
  shared.DurationText = state.durationText;

  const TaskFiles files = FilesOf(context, task);
  // A read can cut the completion line in two, so a clean exit with its
  // output in place counts as success even when that line was not seen.
  bool succeeded = started && status.Succeeded() && (state.completed || FileExists(files.output));
  if (succeeded && FileExists(files.output)) {
    // The finishing step found the merged file still held (or did not run):
    // the transcoder has exited now, so finish here.
    succeeded = DeleteFileAt(files.input) && RenameNoReplace(files.output, files.input);
  }
  if (succeeded) succeeded = FileExists(files.input) && !FileExists(files.output);
  if (!succeeded) {
    if (FileExists(files.input)) DeleteFileAt(files.output);
    SetTaskStatus(context, task, TranscodeFailureStatus(state));
  }
  return succeeded;
}

bool TranscodeTask(AppContext& context, ListView::RowId task) {
  const Text commandLine = TranscodeCommandLine(
      context.programDirectory, TaskCell(context, task, task_column::kSaveDirectory),
      TaskCell(context, task, task_column::kFileName));
  return RunTranscoder(context, commandLine, task);
}
