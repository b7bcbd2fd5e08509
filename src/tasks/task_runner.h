#pragma once

#include "app/app_context.h"

// Handler of "开始任务" (window thread): disables the button, makes sure the
// save directory box ends in "/", starts the status timer and the
// task-runner thread; asks for a thread count when the box is empty.
void StartTasks(AppContext& context);

// Body of the task-runner thread: passes over the task list, checks each
// task's URL and analyses every task that waits (or whose download or merge
// stopped short), until a pass leaves no waiting task; then restores the
// button, the timer and the status bar. A pass visits each task present
// when it began exactly once, whatever rows are deleted meanwhile.
void RunTasks(AppContext& context);

// Fetches the task's playlist, fills the download list with "http:" + each
// match of the task's pattern, and hands the task to the download driver
// when no download is active. Task-runner thread.
void AnalyseTask(AppContext& context, ListView::RowId task);

// Number of tasks whose status is empty.
int CountWaitingTasks(AppContext& context);
