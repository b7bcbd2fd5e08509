#pragma once

#include "app/app_context.h"

// Handler of "添加任务": checks the boxes in a fixed order and either appends
// one task or shows the first failed check's message and moves the focus.
// Window thread.
void AddTask(AppContext& context);

// True when some task in the list has exactly this file name.
bool IsNameInTaskList(AppContext& context, const Text& name);

// True when the save directory box's text, followed by "*.*", finds a file
// named `name` + ".mp4" (exact case; directories do not count).
bool IsNameInSaveDirectory(AppContext& context, const Text& name);
