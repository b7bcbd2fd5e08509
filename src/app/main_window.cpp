#include "app/main_window.h"

MainWindow::MainWindow()
    : controls_{&分组框1,
                &标签_m3u8,
                &编辑框_m3u8地址,
                &按钮_添加任务,
                &标签_头,
                &编辑框_地址或头,
                &标签_正则,
                &编辑框_正则,
                &标签2,
                &编辑框_文件名,
                &按钮_开始任务,
                &标签_保存位置,
                &编辑框_保存位置,
                &按钮_选择目录,
                &按钮_查看,
                &标签3,
                &编辑框_线程数,
                &按钮_批量改名,
                &超级列表框_任务,
                &超级列表框_下载列表,
                &状态条1,
                &进度条1,
                &按钮_开始下载,
                &按钮_暂停,
                &按钮_合并,
                &按钮_分析,
                &标签1} {}

Control* MainWindow::focus() const {
  std::lock_guard lock(focusMutex_);
  return focus_;
}

void MainWindow::SetFocus(Control* control) {
  {
    std::lock_guard lock(focusMutex_);
    focus_ = control;
  }
  if (focusObserver_) focusObserver_();
}

void MainWindow::SetObserver(ControlObserver* observer) {
  for (Control* control : controls_) control->SetObserver(observer);
}
