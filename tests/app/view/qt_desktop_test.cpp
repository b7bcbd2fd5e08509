#include "app/view/qt_desktop.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QClipboard>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>

#include <atomic>
#include <future>
#include <thread>

#include "app/menu.h"
#include "app/view/qt_text.h"
#include "platform/files.h"
#include "qt_wait.h"
#include "support/temp_dir.h"

using view_testing::ProcessUntil;
using view_testing::Watcher;

namespace {

// What a message box looked like, read while it was up.
struct SeenBox {
  QString text;
  QString caption;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  QMessageBox::StandardButtons buttons;
  Qt::TextFormat format = Qt::AutoText;
};

// Answers the next message box by clicking `button`, recording it.
Watcher AnswerBox(SeenBox& seen, QMessageBox::StandardButton button) {
  return Watcher([&seen, button] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box) return false;
    seen = {box->text(), box->windowTitle(), box->icon(), box->standardButtons(),
            box->textFormat()};
    EXPECT_EQ(box->parentWidget(), nullptr);
    box->button(button)->click();
    return true;
  });
}

TEST(QtDesktopTest, MessageBoxesShowWhatIsAskedAndReturnTheAnswer) {
  struct Case {
    MessageRequest request;
    QMessageBox::StandardButton click;
    QMessageBox::Icon icon;
    QMessageBox::StandardButtons buttons;
    MessageAnswer answer;
  };
  const Case cases[] = {
      {{"请输入文件名", kDefaultCaption, MessageButtons::Ok, MessageIcon::None},
       QMessageBox::Ok,
       QMessageBox::NoIcon,
       QMessageBox::Ok,
       MessageAnswer::Ok},
      {{"安装成功！", kDefaultCaption, MessageButtons::Ok, MessageIcon::Information},
       QMessageBox::Ok,
       QMessageBox::Information,
       QMessageBox::Ok,
       MessageAnswer::Ok},
      {{"需要等待", "温馨提示：", MessageButtons::Ok, MessageIcon::Warning},
       QMessageBox::Ok,
       QMessageBox::Warning,
       QMessageBox::Ok,
       MessageAnswer::Ok},
      {{"是否安装？", "温馨提示：", MessageButtons::YesNo, MessageIcon::Error},
       QMessageBox::Yes,
       QMessageBox::Critical,
       QMessageBox::Yes | QMessageBox::No,
       MessageAnswer::Yes},
      {{"是否安装？", "温馨提示：", MessageButtons::YesNo, MessageIcon::Error},
       QMessageBox::No,
       QMessageBox::Critical,
       QMessageBox::Yes | QMessageBox::No,
       MessageAnswer::No},
      // Markup in a text is shown as it stands.
      {{"<b>a</b>.m3u8", kDefaultCaption, MessageButtons::Ok, MessageIcon::None},
       QMessageBox::Ok,
       QMessageBox::NoIcon,
       QMessageBox::Ok,
       MessageAnswer::Ok},
  };
  QtDesktop desktop;
  for (const Case& c : cases) {
    SCOPED_TRACE(ToUtf8(c.request.text));
    SeenBox seen;
    Watcher watcher = AnswerBox(seen, c.click);
    EXPECT_EQ(desktop.ShowMessage(c.request), c.answer);
    EXPECT_TRUE(watcher.acted());
    EXPECT_EQ(seen.text, ToQString(c.request.text));
    EXPECT_EQ(seen.caption, ToQString(c.request.caption));
    EXPECT_EQ(seen.icon, c.icon);
    EXPECT_EQ(seen.buttons, c.buttons);
    EXPECT_EQ(seen.format, Qt::PlainText);
  }
}

TEST(QtDesktopTest, AnotherThreadWaitsForTheAnswerWhileTheGuiRuns) {
  QtDesktop desktop;
  SeenBox seen;
  Watcher watcher = AnswerBox(seen, QMessageBox::Yes);
  std::atomic<bool> done{false};
  MessageAnswer answer = MessageAnswer::Ok;
  std::thread worker([&] {
    answer = desktop.ShowMessage({"继续？", kDefaultCaption, MessageButtons::YesNo});
    done = true;
  });
  // The GUI thread keeps processing events: that is where the box comes up.
  EXPECT_TRUE(ProcessUntil([&] { return done.load(); }));
  worker.join();
  EXPECT_EQ(answer, MessageAnswer::Yes);
  EXPECT_EQ(seen.text, QStringLiteral("继续？"));
}

TEST(QtDesktopTest, ShutdownReleasesWaitingThreadsWithTheHarmlessAnswer) {
  QtDesktop desktop;
  std::promise<MessageAnswer> asked;
  std::future<MessageAnswer> answer = asked.get_future();
  // The request is queued to the GUI thread, which does not get to it
  // before the window closes.
  std::thread worker([&] {
    asked.set_value(desktop.ShowMessage({"继续？", kDefaultCaption, MessageButtons::YesNo}));
  });
  desktop.Shutdown();
  worker.join();
  EXPECT_EQ(answer.get(), MessageAnswer::No);
  std::thread([&] {
    EXPECT_EQ(desktop.ShowMessage({"x", kDefaultCaption, MessageButtons::Ok}), MessageAnswer::Ok);
    EXPECT_EQ(desktop.ShowMessage({"x", kDefaultCaption, MessageButtons::YesNo}),
              MessageAnswer::No);
  }).join();
  // The queued request finds itself answered and shows nothing.
  QCoreApplication::processEvents();
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST(QtDesktopTest, ClipboardTakesTheTextAsUnicode) {
  QtDesktop desktop;
  desktop.SetClipboardText("第3集");
  EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("第3集"));
}

TEST(QtDesktopTest, PopupMenuShowsItemsInOrderAndSelectsThePickedOne) {
  QtDesktop desktop;
  std::vector<int> selected;
  Menu menu{
      "右键",
      {{"复制地址", [&] { selected.push_back(0); }}, {"删除任务", [&] { selected.push_back(1); }}}};
  struct Case {
    std::vector<Qt::Key> keys;
    std::vector<int> selected;
  };
  const Case cases[] = {
      {{Qt::Key_Down, Qt::Key_Down, Qt::Key_Return}, {1}},
      {{Qt::Key_Down, Qt::Key_Return}, {1, 0}},
      {{Qt::Key_Escape}, {1, 0}},
  };
  for (const Case& c : cases) {
    QStringList shown;
    Watcher watcher([&] {
      auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget());
      if (!popup) return false;
      for (QAction* action : popup->actions()) shown.push_back(action->text());
      for (Qt::Key key : c.keys) QTest::keyClick(popup, key);
      return true;
    });
    desktop.PopupMenu(menu);
    EXPECT_EQ(shown, QStringList({QStringLiteral("复制地址"), QStringLiteral("删除任务")}));
    EXPECT_EQ(selected, c.selected);
  }
}

TEST(QtDesktopTest, FolderBrowserReturnsTheChosenLocalPathOrNothing) {
  TempDir dir;
  const Text folder = dir / "视频下载";
  ASSERT_TRUE(MakeDirectoryPath(folder));
  ASSERT_TRUE(WriteWholeFile(dir / "a.mp4", "x"));
  QtDesktop desktop;

  struct Case {
    bool accept;
    std::optional<Text> result;
  };
  const Case cases[] = {{true, folder}, {false, std::nullopt}};
  for (const Case& c : cases) {
    QString title;
    bool listsFiles = false;
    bool hasEditField = false;
    Watcher watcher([&] {
      auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
      if (!dialog) return false;
      title = dialog->windowTitle();
      listsFiles = dialog->fileMode() == QFileDialog::Directory &&
                   !dialog->testOption(QFileDialog::ShowDirsOnly) &&
                   dialog->testOption(QFileDialog::DontUseNativeDialog);
      hasEditField = dialog->findChild<QLineEdit*>() != nullptr;
      if (c.accept) {
        dialog->setDirectory(ToQString(dir.path()));
        dialog->selectFile(ToQString(folder));
        // QFileDialog hides accept(); the dialog's own slot is reached through
        // QDialog.
        static_cast<QDialog*>(dialog)->accept();
      } else {
        dialog->reject();
      }
      return true;
    });
    const std::optional<Text> chosen = desktop.BrowseForFolder("打开");
    EXPECT_EQ(title, QStringLiteral("打开"));
    EXPECT_TRUE(listsFiles);
    EXPECT_TRUE(hasEditField);
    EXPECT_EQ(chosen.has_value(), c.result.has_value());
    if (chosen && c.result) {
      EXPECT_EQ(ToUtf8(*chosen), ToUtf8(*c.result));
    }
  }
}

TEST(QtDesktopTest, PendingEventsRunOnlyOnTheGuiThread) {
  QtDesktop desktop;
  QObject context;
  bool ran = false;
  QMetaObject::invokeMethod(
      &context, [&] { ran = true; }, Qt::QueuedConnection);
  std::thread([&] {
    desktop.ProcessPendingEvents();
    desktop.PumpPendingInput();
  }).join();
  EXPECT_FALSE(ran);
  desktop.ProcessPendingEvents();
  EXPECT_TRUE(ran);
}

}  // namespace
