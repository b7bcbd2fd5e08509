#include "tasks/task_list.h"

void SetTaskStatus(AppContext& context, int row, const Text& status) {
  context.window.超级列表框_任务.SetCell(row, task_column::kStatus, status);
}

void SetTaskStatus(AppContext& context, ListView::RowId task, const Text& status) {
  context.window.超级列表框_任务.SetCellById(task, task_column::kStatus, status);
}

Text TaskCell(AppContext& context, ListView::RowId task, int column) {
  return context.window.超级列表框_任务.GetCellById(task, column);
}
