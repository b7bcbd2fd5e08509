#pragma once

#include "app/app_context.h"

// The transcoder run of a task, on the task-runner thread.

// Runs the transcoder over the task's merged file and waits until it has
// exited and the result carries the final name. True only when the
// transcoder exited with code 0 (after reporting completion, or leaving its
// output) and the output now stands under save directory + file name + ".mp4". Otherwise the task
// shows the error word of the output, or "转码失败"; the merged file stays and
// a partial output is removed.
bool TranscodeTask(AppContext& context, ListView::RowId task);

// Starts the transcoder with `commandLine`, feeds its output, read in chunks
// of at most 1023 bytes, to the parser, and returns once it has exited.
bool RunTranscoder(AppContext& context, const Text& commandLine, ListView::RowId task);

// The finishing step: the merged file is deleted and the transcoder's output
// takes its name. Runs on its own short thread.
void FinishOutput(AppContext& context, ListView::RowId task);
