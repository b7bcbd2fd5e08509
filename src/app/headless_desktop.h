#pragma once

#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>
#include <vector>

#include "app/desktop.h"

// The desktop without a display: every request is recorded, message boxes
// and the folder browser are answered from a script. Safe from any thread.
class HeadlessDesktop : public Desktop {
 public:
  // Answers for the next message boxes, in order. When the script is empty,
  // an OK box is answered Ok and a Yes/No box No.
  void ScriptAnswers(std::vector<MessageAnswer> answers);
  // Answers for the next folder browsers, in order; none left: cancel.
  void ScriptFolders(std::vector<std::optional<Text>> folders);

  std::vector<MessageRequest> messages() const;
  // Texts of the messages shown so far.
  std::vector<Text> messageTexts() const;
  // Waits up to `timeoutMs` until at least `count` messages were shown.
  bool WaitForMessages(size_t count, int timeoutMs) const;
  void ClearRecords();

  std::optional<Text> clipboard() const;
  std::vector<const Menu*> popups() const;
  std::vector<Text> browseTitles() const;
  std::vector<Text> openedPaths() const;
  int repaints() const;

  MessageAnswer ShowMessage(const MessageRequest& request) override;
  void SetClipboardText(const Text& text) override;
  void PopupMenu(Menu& menu) override;
  std::optional<Text> BrowseForFolder(const Text& title) override;
  void OpenPath(const Text& path) override;
  void Repaint() override;
  void ProcessPendingEvents() override {}
  void PumpPendingInput() override {}

 private:
  mutable std::mutex mutex_;
  mutable std::condition_variable messageShown_;
  std::deque<MessageAnswer> answers_;
  std::deque<std::optional<Text>> folders_;
  std::vector<MessageRequest> messages_;
  std::optional<Text> clipboard_;
  std::vector<const Menu*> popups_;
  std::vector<Text> browseTitles_;
  std::vector<Text> openedPaths_;
  int repaints_ = 0;
};
