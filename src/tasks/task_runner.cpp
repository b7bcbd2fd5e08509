#include "tasks/task_runner.h"

#include <vector>

#include "http/http_request.h"
#include "platform/files.h"
#include "platform/plain_http_read.h"
#include "regex/regex_object.h"
#include "tasks/download_driver.h"
#include "tasks/task_list.h"
#include "tasks/task_status.h"

void StartTasks(AppContext& context) {
  MainWindow& window = context.window;
  window.按钮_开始任务.SetEnabled(false);
  const Text saveDirectory = window.编辑框_保存位置.text();
  if (saveDirectory.empty() || saveDirectory.back() != '/')
    window.编辑框_保存位置.SetText(saveDirectory + "/");
  context.shared.CurrentTaskNumber = 0;
  window.时钟1.SetPeriod(1000);
  if (window.编辑框_线程数.text().empty()) {
    ShowInfo(context.desktop, "请输入线程数");
    window.SetFocus(&window.编辑框_线程数);
    window.按钮_开始任务.SetEnabled(true);
    return;
  }
  // The previous run has ended (the button was enabled again by it), so
  // joining its thread returns at once.
  if (context.shared.TaskRunnerThread.joinable()) context.shared.TaskRunnerThread.join();
  context.shared.TaskRunnerThread = std::thread([&context] { RunTasks(context); });
}

int CountWaitingTasks(AppContext& context) {
  ListView& tasks = context.window.超级列表框_任务;
  const int rows = tasks.RowCount();
  int waiting = 0;
  for (int row = 0; row < rows; ++row)
    if (tasks.GetCell(row, task_column::kStatus).empty()) ++waiting;
  return waiting;
}

void AnalyseTask(AppContext& context, ListView::RowId task) {
  ListView& segments = context.window.超级列表框_下载列表;
  segments.RemoveAllRows();
  SetTaskStatus(context, task, task_status::kAnalysing);
  context.regex.Create(TaskCell(context, task, task_column::kPattern));
  const Text playlist = HttpRequest(context.http, TaskCell(context, task, task_column::kUrl));
  context.regex.Execute(playlist);
  const int matches = context.regex.GetMatchCount();
  context.shared.MatchCount = matches;
  for (int i = 1; i <= matches; ++i) {
    const int row = segments.AppendRow();
    segments.SetCell(row, segment_column::kAddress, "http:" + context.regex.GetMatch(i));
  }
  context.shared.SegmentDoneCount = 0;
  if (context.shared.DownloadIdle) DriveDownload(context, task);
}

void RunTasks(AppContext& context) {
  MainWindow& window = context.window;
  ListView& tasks = window.超级列表框_任务;
  SharedValues& shared = context.shared;
  do {
    // The tasks of this pass, by identity: rows deleted meanwhile are
    // skipped, and the others keep their place in the pass.
    std::vector<ListView::RowId> pass;
    const int rows = tasks.RowCount();
    for (int row = 0; row < rows; ++row) pass.push_back(tasks.IdAt(row));
    for (ListView::RowId task : pass) {
      if (shared.closing) break;
      const int row = tasks.IndexOf(task);
      if (row < 0) continue;
      shared.CurrentTaskNumber = row + 1;
      const Text saveDirectory = TaskCell(context, task, task_column::kSaveDirectory);
      if (!IsDirectory(saveDirectory)) MakeDirectoryPath(saveDirectory);
      if (!PlainHttpRead(context.http, TaskCell(context, task, task_column::kUrl))) {
        SetTaskStatus(context, task, task_status::kUrlDead);
        continue;
      }
      if (IsResumableStatus(TaskCell(context, task, task_column::kStatus)))
        AnalyseTask(context, task);
    }
  } while (!shared.closing && CountWaitingTasks(context) > 0);

  window.按钮_开始任务.SetEnabled(true);
  window.时钟1.SetPeriod(0);
  shared.CurrentTaskNumber = 0;
  shared.SegmentDoneCount = 0;
  window.状态条1.SetPanelText(0, "当前任务：0/0");
  window.状态条1.SetPanelText(1, "当前下载：0/0");
}
