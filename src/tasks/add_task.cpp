#include "tasks/add_task.h"

#include "platform/files.h"

namespace {

// Shows a failed check's message and moves the focus to its box.
void Refuse(AppContext& context, const Text& message, EditBox& focus) {
  ShowInfo(context.desktop, message);
  context.window.SetFocus(&focus);
}

}  // namespace

bool IsNameInTaskList(AppContext& context, const Text& name) {
  ListView& tasks = context.window.超级列表框_任务;
  const int rows = tasks.RowCount();
  for (int row = 0; row < rows; ++row) {
    if (tasks.GetCell(row, task_column::kFileName) == name) return true;
    context.desktop.ProcessPendingEvents();
  }
  return false;
}

bool IsNameInSaveDirectory(AppContext& context, const Text& name) {
  const Text wanted = name + ".mp4";
  for (const Text& entry : FindFiles(context.window.编辑框_保存位置.text() + "*.*")) {
    if (entry == wanted) return true;
    context.desktop.ProcessPendingEvents();
  }
  return false;
}

void AddTask(AppContext& context) {
  MainWindow& window = context.window;
  const Text url = window.编辑框_m3u8地址.text();
  const Text fileName = window.编辑框_文件名.text();
  const Text saveDirectory = window.编辑框_保存位置.text();
  const Text pattern = window.编辑框_正则.text();
  if (url.empty()) return Refuse(context, "请输入m3u8文件地址", window.编辑框_m3u8地址);
  if (url.find("http") == Text::npos)
    return Refuse(context, "请正确输入m3u8文件地址", window.编辑框_m3u8地址);
  if (fileName.empty()) return Refuse(context, "请输入文件名", window.编辑框_文件名);
  if (saveDirectory.empty()) return Refuse(context, "请输入保存位置", window.编辑框_保存位置);
  if (pattern.empty()) return Refuse(context, "请输入正则内容", window.编辑框_正则);
  if (IsNameInTaskList(context, fileName))
    return Refuse(context, "任务列表有重名文件！", window.编辑框_文件名);
  if (IsNameInSaveDirectory(context, fileName))
    return Refuse(context, "已下载文件有重名！", window.编辑框_文件名);

  ListView& tasks = window.超级列表框_任务;
  const int row = tasks.AppendRow();
  tasks.SetCell(row, task_column::kNumber, DecimalText(tasks.RowCount()));
  tasks.SetCell(row, task_column::kUrl, url);
  tasks.SetCell(row, task_column::kFileName, fileName);
  tasks.SetCell(row, task_column::kSaveDirectory, saveDirectory);
  tasks.SetCell(row, task_column::kPattern, pattern);
  window.编辑框_m3u8地址.SetText("");
}
