#include "app/application.h"

#include "app/batch_rename.h"
#include "app/list_commands.h"
#include "app/settings.h"
#include "app/temp_directory.h"
#include "media/ensure_transcoder.h"
#include "platform/child_process.h"
#include "tasks/add_task.h"
#include "tasks/task_runner.h"

Application::Application(Text programDirectory, Desktop& desktop, TranscoderSource transcoder)
    : context_{std::move(programDirectory), window_, desktop, regex_, pool_, http_, shared_,
               std::move(transcoder)} {
  WireEvents();
}

Application::~Application() { WindowDestroyed(); }

void Application::WireEvents() {
  MainWindow& w = window_;
  AppContext& c = context_;
  w.按钮_添加任务.onClicked = [&c] { AddTask(c); };
  for (EditBox* box : {&w.编辑框_保存位置, &w.编辑框_正则, &w.编辑框_线程数, &w.编辑框_地址或头})
    box->onChanged = [&c] { SaveSettings(c); };
  w.按钮_开始任务.onClicked = [&c] { StartTasks(c); };
  w.按钮_选择目录.onClicked = [&c] { ChooseSaveDirectory(c); };
  w.按钮_查看.onClicked = [&c] { OpenSaveDirectory(c); };
  w.按钮_批量改名.onClicked = [&c] { BatchRename(c); };
  w.超级列表框_任务.onRightClick = [&c] { ShowTaskMenu(c); };
  w.超级列表框_任务.onDoubleClick = [&c] { CopyTaskNumber(c); };
  w.超级列表框_下载列表.onDoubleClick = [&c] { CopySegmentAddress(c); };
  w.右键.items[0].onSelected = [&c] { CopyTaskNumber(c); };
  w.右键.items[1].onSelected = [&c] { DeleteTask(c); };
  w.时钟1.onTick = [&c] { RefreshStatus(c); };
}

void Application::WindowCreated() {
  LoadSettings(context_);
  EnsureTranscoder(context_);
  ClearTempDirectory(context_);
  // The progress bar follows the three panels (110 + 130 + 50 pixels) inside
  // the status bar and fills the rest of it.
  const Rect bar = window_.状态条1.place();
  window_.进度条1.SetPlace({292, 3, bar.width - 294, window_.进度条1.place().height});
  window_.进度条1.SetParent(&window_.状态条1);
  window_.SetFocus(&window_.编辑框_m3u8地址);
  shared_.DownloadIdle = true;
}

void Application::WindowDestroyed() {
  if (destroyed_) return;
  destroyed_ = true;
  shared_.closing = true;
  {
    std::lock_guard lock(shared_.transcoderMutex);
    if (shared_.transcoder) shared_.transcoder->Terminate();
  }
  http_.CancelAll();
  if (shared_.TaskRunnerThread.joinable()) shared_.TaskRunnerThread.join();
  if (shared_.FinishThread.joinable()) shared_.FinishThread.join();
}
