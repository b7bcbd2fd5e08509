#pragma once

#include <QObject>

#include <memory>
#include <mutex>
#include <vector>

#include "app/desktop.h"

// The desktop services on screen, through Qt. Construct and destroy it on the
// GUI thread, after the QApplication exists and before it goes.
//
// Message boxes may be asked for from any thread: on the GUI thread the box
// runs modally at once; another thread hands the request to the GUI thread
// and waits for the answer while the GUI keeps running. Every other service
// is for the GUI thread only, except ProcessPendingEvents and
// PumpPendingInput, which do nothing elsewhere.
class QtDesktop : public Desktop {
 public:
  QtDesktop();
  ~QtDesktop() override;
  QtDesktop(const QtDesktop&) = delete;
  QtDesktop& operator=(const QtDesktop&) = delete;

  // From now on no box is shown any more: every request still waiting and
  // every later one is answered at once with the box's default (Ok, or No for
  // a Yes/No box), so no background thread waits for a GUI that has stopped
  // answering. Called when the window closes. GUI thread; idempotent.
  void Shutdown();

  MessageAnswer ShowMessage(const MessageRequest& request) override;
  void SetClipboardText(const Text& text) override;
  // Pops the menu up at the mouse position and, when the user picks an item,
  // runs its Select before returning.
  void PopupMenu(Menu& menu) override;
  std::optional<Text> BrowseForFolder(const Text& title) override;
  void OpenPath(const Text& path) override;
  void Repaint() override;
  void ProcessPendingEvents() override;
  void PumpPendingInput() override;

 private:
  struct Pending;

  bool OnGuiThread() const;
  // Runs one box modally on the GUI thread.
  static MessageAnswer RunMessageBox(const MessageRequest& request);

  // Lives on the GUI thread: requests from other threads are queued to it.
  QObject gui_;
  std::mutex mutex_;
  bool shutDown_ = false;
  std::vector<std::shared_ptr<Pending>> pending_;
};
