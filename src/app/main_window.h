#pragma once

#include <vector>

#include "app/control.h"
#include "app/list_view.h"
#include "app/menu.h"
#include "app/progress_bar.h"
#include "app/status_bar.h"
#include "app/timer.h"

// Columns of a task row and of a download row.
namespace task_column {
inline constexpr int kNumber = 0;
inline constexpr int kUrl = 1;
inline constexpr int kFileName = 2;
inline constexpr int kStatus = 3;
inline constexpr int kSaveDirectory = 4;
inline constexpr int kPattern = 5;
}  // namespace task_column
namespace segment_column {
inline constexpr int kAddress = 0;
inline constexpr int kStatus = 1;
}  // namespace segment_column

// The main window and every control in it, with its caption or initial
// text and its place. Places of the controls inside `分组框1` are relative to
// the group box. Owned by the application; the view shows it.
class MainWindow {
 public:
  MainWindow();
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  const Rect place{50, 50, 1039, 580};
  const Text title = "Vantrelo By Brisquell";

  GroupBox 分组框1{"分组框1", "基本设置", {12, 8, 600, 126}};
  Label 标签_m3u8{"标签_m3u8", "文件地址：", {12, 21, 69, 24}, &分组框1};
  EditBox 编辑框_m3u8地址{"编辑框_m3u8地址", "", {86, 21, 347, 24}, &分组框1};
  Button 按钮_添加任务{"按钮_添加任务", "添加任务", {452, 19, 131, 28}, &分组框1};
  Label 标签_头{"标签_头", "地址或头：", {17, 53, 64, 24}, &分组框1};
  EditBox 编辑框_地址或头{"编辑框_地址或头", "http:", {86, 53, 70, 24}, &分组框1};
  Label 标签_正则{"标签_正则", "内容正则：", {158, 53, 64, 24}, &分组框1};
  EditBox 编辑框_正则{"编辑框_正则", "//[^\\s]*", {222, 53, 70, 24}, &分组框1};
  Label 标签2{"标签2", "文件名：", {300, 53, 48, 24}, &分组框1};
  EditBox 编辑框_文件名{"编辑框_文件名", "", {348, 53, 85, 24}, &分组框1};
  Button 按钮_开始任务{"按钮_开始任务", "开始任务", {452, 51, 131, 28}, &分组框1};
  Label 标签_保存位置{"标签_保存位置", "保存位置：", {1, 86, 80, 24}, &分组框1};
  EditBox 编辑框_保存位置{"编辑框_保存位置", "D:\\AAAA\\", {86, 86, 150, 24}, &分组框1};
  Button 按钮_选择目录{"按钮_选择目录", "...", {239, 86, 40, 24}, &分组框1};
  Button 按钮_查看{"按钮_查看", "查看", {280, 86, 40, 24}, &分组框1};
  Label 标签3{"标签3", "线程数：", {329, 86, 48, 24}, &分组框1};
  EditBox 编辑框_线程数{"编辑框_线程数", "10", {377, 86, 56, 24}, &分组框1};
  Button 按钮_批量改名{"按钮_批量改名", "批量改名", {452, 84, 131, 28}, &分组框1};

  ListView 超级列表框_任务{"超级列表框_任务",
                           {12, 144, 600, 376},
                           {{"编号", 40},
                            {"M3U8地址", 300},
                            {"文件名", 150},
                            {"状态", 100},
                            {"保存位置", 0},
                            {"正则", 0}}};
  ListView 超级列表框_下载列表{
      "超级列表框_下载列表", {616, 14, 408, 506}, {{"文件下载地址", 300}, {"状态", 100}}};
  StatusBar 状态条1{
      "状态条1", {8, 8, 446, 20}, {{110, "当前任务："}, {130, "当前下载："}, {50, "进度："}}};
  ProgressBar 进度条1{"进度条1", {296, 528, 144, 16}};
  Timer 时钟1{1000};

  // Created invisible and never shown; nothing depends on them.
  Button 按钮_开始下载{"按钮_开始下载", "开始下载", {20, 160, 80, 28}, nullptr, false};
  Button 按钮_暂停{"按钮_暂停", "暂停", {110, 160, 80, 28}, nullptr, false};
  Button 按钮_合并{"按钮_合并", "合并", {200, 160, 80, 28}, nullptr, false};
  Button 按钮_分析{"按钮_分析", "开始分析", {290, 160, 80, 28}, nullptr, false};
  Label 标签1{"标签1", "", {380, 160, 80, 24}, nullptr, false};

  // The task list's pop-up menu; hidden from the menu bar.
  Menu 右键{"右键", {{"复制地址", {}}, {"删除任务", {}}}};

  // Every control, in creation order (the group box before its children).
  const std::vector<Control*>& controls() const { return controls_; }

  // Keyboard focus: the control that has it, or nullptr. Any thread.
  Control* focus() const;
  void SetFocus(Control* control);
  // Told when the focus moves, on the moving thread; must not block.
  void SetFocusObserver(std::function<void()> observer) { focusObserver_ = std::move(observer); }

  // Attaches the view to every control; nullptr detaches.
  void SetObserver(ControlObserver* observer);

 private:
  std::vector<Control*> controls_;
  mutable std::mutex focusMutex_;
  Control* focus_ = nullptr;
  std::function<void()> focusObserver_;
};
