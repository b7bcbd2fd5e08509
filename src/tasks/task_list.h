#pragma once

#include "app/app_context.h"

// The task list `超级列表框_任务`: one task per row. SetTaskStatus is the only
// writer of the status column.

// Writes the status of the task at `row`; a row outside the list: nothing.
void SetTaskStatus(AppContext& context, int row, const Text& status);

// The same for a task held by its row identity, which survives the deletion
// of rows above it; nothing once the task is gone.
void SetTaskStatus(AppContext& context, ListView::RowId task, const Text& status);

// A task's cell, read by its row identity; empty once the task is gone.
Text TaskCell(AppContext& context, ListView::RowId task, int column);
