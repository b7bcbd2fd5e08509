#pragma once

#include "app/app_context.h"

// Downloads the segments of the download list on the worker pool with as
// many workers as the thread count box asks for (at least one, at most one
// per row), handing out rows only as workers become free; then, when every
// segment arrived, hands the task to the merge. Returns when the task has
// been merged and transcoded, or when the download stopped short: a task
// with failed segments is marked "下载失败" (its files stay for a resume),
// and a pool found stopped leaves "开始下载". Task-runner thread.
void DriveDownload(AppContext& context, ListView::RowId task);

// Identity of a task's segment files: its save directory and file name.
Text TaskKey(AppContext& context, ListView::RowId task);
