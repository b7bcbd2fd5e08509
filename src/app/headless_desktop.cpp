#include "app/headless_desktop.h"

#include <chrono>

void HeadlessDesktop::ScriptAnswers(std::vector<MessageAnswer> answers) {
  std::lock_guard lock(mutex_);
  answers_.assign(answers.begin(), answers.end());
}

void HeadlessDesktop::ScriptFolders(std::vector<std::optional<Text>> folders) {
  std::lock_guard lock(mutex_);
  folders_.assign(folders.begin(), folders.end());
}

std::vector<MessageRequest> HeadlessDesktop::messages() const {
  std::lock_guard lock(mutex_);
  return messages_;
}

std::vector<Text> HeadlessDesktop::messageTexts() const {
  std::lock_guard lock(mutex_);
  std::vector<Text> texts;
  for (const MessageRequest& m : messages_) texts.push_back(m.text);
  return texts;
}

bool HeadlessDesktop::WaitForMessages(size_t count, int timeoutMs) const {
  std::unique_lock lock(mutex_);
  return messageShown_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                [&] { return messages_.size() >= count; });
}

void HeadlessDesktop::ClearRecords() {
  std::lock_guard lock(mutex_);
  messages_.clear();
  clipboard_.reset();
  popups_.clear();
  browseTitles_.clear();
  openedPaths_.clear();
  repaints_ = 0;
}

std::optional<Text> HeadlessDesktop::clipboard() const {
  std::lock_guard lock(mutex_);
  return clipboard_;
}

std::vector<const Menu*> HeadlessDesktop::popups() const {
  std::lock_guard lock(mutex_);
  return popups_;
}

std::vector<Text> HeadlessDesktop::browseTitles() const {
  std::lock_guard lock(mutex_);
  return browseTitles_;
}

std::vector<Text> HeadlessDesktop::openedPaths() const {
  std::lock_guard lock(mutex_);
  return openedPaths_;
}

int HeadlessDesktop::repaints() const {
  std::lock_guard lock(mutex_);
  return repaints_;
}

MessageAnswer HeadlessDesktop::ShowMessage(const MessageRequest& request) {
  MessageAnswer answer;
  {
    std::lock_guard lock(mutex_);
    messages_.push_back(request);
    if (!answers_.empty()) {
      answer = answers_.front();
      answers_.pop_front();
    } else {
      answer = request.buttons == MessageButtons::YesNo ? MessageAnswer::No : MessageAnswer::Ok;
    }
  }
  messageShown_.notify_all();
  return answer;
}

void HeadlessDesktop::SetClipboardText(const Text& text) {
  std::lock_guard lock(mutex_);
  clipboard_ = text;
}

void HeadlessDesktop::PopupMenu(Menu& menu) {
  std::lock_guard lock(mutex_);
  popups_.push_back(&menu);
}

std::optional<Text> HeadlessDesktop::BrowseForFolder(const Text& title) {
  std::lock_guard lock(mutex_);
  browseTitles_.push_back(title);
  if (folders_.empty()) return std::nullopt;
  std::optional<Text> folder = folders_.front();
  folders_.pop_front();
  return folder;
}

void HeadlessDesktop::OpenPath(const Text& path) {
  std::lock_guard lock(mutex_);
  openedPaths_.push_back(path);
}

void HeadlessDesktop::Repaint() {
  std::lock_guard lock(mutex_);
  ++repaints_;
}
