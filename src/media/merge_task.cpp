#include "media/merge_task.h"

#include "tasks/task_list.h"

// Joining and transcoding come next; until then a task ends here.
void MergeTask(AppContext& context, ListView::RowId task) {
  if (context.window.超级列表框_下载列表.RowCount() == 0) {
    ShowInfo(context.desktop, "不可以合并");
    return;
  }
  (void)task;
}
