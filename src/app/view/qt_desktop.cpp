#include "app/view/qt_desktop.h"

#include <QApplication>
#include <QClipboard>
#include <QCursor>
#include <QDesktopServices>
#include <QFileDialog>
#include <QMenu>
#include <QMessageBox>
#include <QThread>
#include <QUrl>
#include <QWidget>

#include <algorithm>
#include <condition_variable>

#include "app/menu.h"
#include "app/view/qt_text.h"

namespace {

// What a box answers when it cannot be shown any more: the answer that does
// nothing (No for a question).
MessageAnswer DefaultAnswer(const MessageRequest& request) {
  return request.buttons == MessageButtons::YesNo ? MessageAnswer::No : MessageAnswer::Ok;
}

QMessageBox::Icon ToQtIcon(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::Information:
      return QMessageBox::Information;
    case MessageIcon::Warning:
      return QMessageBox::Warning;
    case MessageIcon::Error:
      return QMessageBox::Critical;
    case MessageIcon::None:
      break;
  }
  return QMessageBox::NoIcon;
}

}  // namespace

struct QtDesktop::Pending {
  explicit Pending(MessageRequest r) : request(std::move(r)) {}

  // The first answer counts; a box that returns after Shutdown answered is
  // ignored.
  void Answer(MessageAnswer value) {
    {
      std::lock_guard lock(mutex);
      if (!answer) answer = value;
    }
    answered.notify_all();
  }
  bool HasAnswer() {
    std::lock_guard lock(mutex);
    return answer.has_value();
  }
  MessageAnswer Wait() {
    std::unique_lock lock(mutex);
    answered.wait(lock, [&] { return answer.has_value(); });
    return *answer;
  }

  const MessageRequest request;
  std::mutex mutex;
  std::condition_variable answered;
  std::optional<MessageAnswer> answer;
};

QtDesktop::QtDesktop() = default;

QtDesktop::~QtDesktop() { Shutdown(); }

void QtDesktop::Shutdown() {
  std::vector<std::shared_ptr<Pending>> waiting;
  {
    std::lock_guard lock(mutex_);
    shutDown_ = true;
    waiting.swap(pending_);
  }
  for (const auto& pending : waiting) pending->Answer(DefaultAnswer(pending->request));
}

bool QtDesktop::OnGuiThread() const { return QThread::currentThread() == gui_.thread(); }

MessageAnswer QtDesktop::RunMessageBox(const MessageRequest& request) {
  const bool question = request.buttons == MessageButtons::YesNo;
  // No owner window: the box belongs to the whole application and blocks it
  // while it is up.
  QMessageBox box(ToQtIcon(request.icon), ToQString(request.caption), ToQString(request.text),
                  question ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok);
  // The system's texts are plain; a "<" in a URL or file name is not markup.
  box.setTextFormat(Qt::PlainText);
  box.setWindowModality(Qt::ApplicationModal);
  if (question) {
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::No);
  }
  box.exec();
  if (!question) return MessageAnswer::Ok;
  return box.clickedButton() == box.button(QMessageBox::Yes) ? MessageAnswer::Yes
                                                             : MessageAnswer::No;
}

MessageAnswer QtDesktop::ShowMessage(const MessageRequest& request) {
  if (OnGuiThread()) {
    {
      std::lock_guard lock(mutex_);
      if (shutDown_) return DefaultAnswer(request);
    }
    return RunMessageBox(request);
  }

  auto pending = std::make_shared<Pending>(request);
  {
    std::lock_guard lock(mutex_);
    if (shutDown_) return DefaultAnswer(request);
    pending_.push_back(pending);
  }
  QMetaObject::invokeMethod(
      &gui_,
      [this, pending] {
        if (pending->HasAnswer()) return;
        pending->Answer(RunMessageBox(pending->request));
        std::lock_guard lock(mutex_);
        pending_.erase(std::remove(pending_.begin(), pending_.end(), pending), pending_.end());
      },
      Qt::QueuedConnection);
  return pending->Wait();
}

void QtDesktop::SetClipboardText(const Text& text) {
  QGuiApplication::clipboard()->setText(ToQString(text));
}

void QtDesktop::PopupMenu(Menu& menu) {
  QMenu popup;
  popup.setTitle(ToQString(menu.name));
  std::vector<QAction*> actions;
  for (const Menu::Item& item : menu.items)
    actions.push_back(popup.addAction(ToQString(item.caption)));
  QAction* chosen = popup.exec(QCursor::pos());
  auto it = std::find(actions.begin(), actions.end(), chosen);
  if (chosen && it != actions.end()) menu.Select(static_cast<int>(it - actions.begin()));
}

std::optional<Text> QtDesktop::BrowseForFolder(const Text& title) {
  QFileDialog dialog(nullptr, ToQString(title));
  // Qt's own dialog: it has the edit field, and in directory mode it lists
  // the files beside the folders.
  dialog.setOption(QFileDialog::DontUseNativeDialog, true);
  dialog.setOption(QFileDialog::ShowDirsOnly, false);
  dialog.setFileMode(QFileDialog::Directory);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setWindowModality(Qt::ApplicationModal);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  const QList<QUrl> urls = dialog.selectedUrls();
  if (urls.isEmpty() || !urls.first().isLocalFile()) return std::nullopt;
  const QString path = urls.first().toLocalFile();
  if (path.isEmpty()) return std::nullopt;
  return FromQString(path);
}

void QtDesktop::OpenPath(const Text& path) {
  QDesktopServices::openUrl(QUrl::fromLocalFile(ToQString(path)));
}

void QtDesktop::Repaint() {
  for (QWidget* widget : QApplication::topLevelWidgets())
    if (widget->isVisible()) widget->repaint();
}

void QtDesktop::ProcessPendingEvents() {
  if (OnGuiThread()) QCoreApplication::processEvents();
}

void QtDesktop::PumpPendingInput() {
  // Qt does not tell whether input waits; processing whatever waits is the
  // same to the caller, only not skipped when nothing does.
  if (OnGuiThread()) QCoreApplication::processEvents();
}
