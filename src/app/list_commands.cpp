#include "app/list_commands.h"

#include <cmath>

#include "tasks/task_status.h"

void ShowTaskMenu(AppContext& context) {
  if (context.window.超级列表框_任务.GetSelection() < 0) return;
  context.desktop.PopupMenu(context.window.右键);
}

void CopyTaskNumber(AppContext& context) {
  ListView& tasks = context.window.超级列表框_任务;
  const int row = tasks.GetSelection();
  if (row < 0) return;
  context.desktop.SetClipboardText(tasks.GetCell(row, task_column::kNumber));
}

void CopySegmentAddress(AppContext& context) {
  ListView& segments = context.window.超级列表框_下载列表;
  const int row = segments.GetSelection();
  if (row < 0) return;
  context.desktop.SetClipboardText(segments.GetCell(row, segment_column::kAddress));
}

void DeleteTask(AppContext& context) {
  ListView& tasks = context.window.超级列表框_任务;
  const int row = tasks.GetSelection();
  if (row < 0) return;
  if (IsDeletableStatus(tasks.GetCell(row, task_column::kStatus))) {
    tasks.RemoveRow(row);
    return;
  }
  ShowInfo(context.desktop, "只能删除执行完的任务或未执行的任务！");
}

void ChooseSaveDirectory(AppContext& context) {
  std::optional<Text> path = context.desktop.BrowseForFolder("打开");
  if (!path || path->empty()) return;
  if (path->back() != '/') path->push_back('/');
  context.window.编辑框_保存位置.SetText(*path);
}

void OpenSaveDirectory(AppContext& context) {
  context.desktop.OpenPath(context.window.编辑框_保存位置.text());
}

int ProgressPercent(int done, int total) {
  if (total == 0) return 0;
  return static_cast<int>(std::round(static_cast<double>(done) * 100.0 / total));
}

void RefreshStatus(AppContext& context) {
  MainWindow& window = context.window;
  const int segments = window.超级列表框_下载列表.RowCount();
  window.进度条1.SetPosition(ProgressPercent(context.shared.SegmentDoneCount, segments));
  window.状态条1.SetPanelText(0, "当前任务：" + DecimalText(context.shared.CurrentTaskNumber) +
                                     "/" + DecimalText(window.超级列表框_任务.RowCount()));
  window.状态条1.SetPanelText(1, "当前下载：" + DecimalText(context.shared.SegmentDoneCount) + "/" +
                                     DecimalText(window.超级列表框_下载列表.RowCount()));
  context.desktop.PumpPendingInput();
  context.desktop.Repaint();
}
