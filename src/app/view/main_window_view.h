#pragma once

#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>

#include <atomic>
#include <functional>
#include <memory>
#include <unordered_map>

#include "app/control.h"
#include "app/main_window.h"

class ListViewModel;
class StatusBarWidget;

// The main window on screen: one Qt widget per control of a MainWindow, at
// the control's place, showing its state, and feeding the user's input back
// into the controls.
//
// Construct, use and destroy it on the GUI thread. The MainWindow must
// outlive the view; the view attaches itself as the observer of every
// control, of the timer and of the focus, and detaches in its destructor (by
// then no other thread may still touch the controls).
//
// Program changes may come from any thread: ControlChanged only marks the
// control and, for the first change of a burst, queues one flush to the GUI
// thread; it never waits for the GUI. The flush reads each marked control's
// current state, so later changes always win and a burst costs one update.
// Flushes follow each other at least kMinFlushIntervalMs apart.
//
// The status bar docks at the bottom over the window's full width; its real
// place is written back into 状态条1 when the view is built (and when the
// window is resized), so that placements computed from it by the control
// layer fit.
class MainWindowView : public QWidget, public ControlObserver {
  Q_OBJECT

 public:
  static constexpr int kMinFlushIntervalMs = 15;

  explicit MainWindowView(MainWindow& window, QWidget* parent = nullptr);
  ~MainWindowView() override;

  // Runs once when the user closes the window, before it goes; closing is
  // never refused.
  std::function<void()> onClose;

  // Applies every change noted so far, now. GUI thread.
  void FlushNow();

  // The widget that shows a control; nullptr for a control not of this
  // window.
  QWidget* widgetOf(const Control& control) const;
  StatusBarWidget* statusBar() const;
  // The timer that raises 时钟1's ticks.
  const QTimer& clockTimer() const { return clock_; }

  // ControlObserver: any thread, never blocks.
  void ControlChanged(Control& control) override;

 protected:
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  struct Entry;

  QWidget* CreateWidget(Entry& entry);
  void WireListView(Entry& entry);
  void Apply(Entry& entry);
  void ApplySelection(Entry& entry);
  void ApplyTimer();
  void ApplyFocus();
  void DockStatusBar();
  QRect DockedStatusBarRect() const;

  // Any thread: asks for a flush unless one is already on its way.
  void RequestFlush();
  // GUI thread: runs the flush, or holds it back to keep flushes apart.
  void OnFlushRequested();

  MainWindow& window_;
  std::unique_ptr<Entry[]> entries_;
  size_t entryCount_ = 0;
  // Built once in the constructor, read-only afterwards (read from any
  // thread by ControlChanged).
  std::unordered_map<const Control*, size_t> indexOf_;
  StatusBarWidget* statusBar_ = nullptr;
  int statusBarHeight_ = 0;

  std::atomic<bool> flushPending_{false};
  std::atomic<bool> timerDirty_{false};
  std::atomic<bool> focusDirty_{false};
  QTimer flushTimer_;
  QElapsedTimer sinceFlush_;
  QTimer clock_;
  // True while the view writes into its widgets: the signals that this
  // raises are not user input.
  bool applying_ = false;
  bool closed_ = false;
};
