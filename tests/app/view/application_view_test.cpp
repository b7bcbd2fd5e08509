// The application behind the real window: user input through the widgets
// reaches the system's routines, and what they do shows on screen.

#include <gtest/gtest.h>

#include <QClipboard>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTreeView>

#include <memory>

#include "app/application.h"
#include "app/view/main_window_view.h"
#include "app/view/qt_desktop.h"
#include "app/view/qt_text.h"
#include "app/view/status_bar_widget.h"
#include "platform/files.h"
#include "qt_wait.h"
#include "support/temp_dir.h"

using view_testing::ProcessUntil;
using view_testing::Watcher;

namespace {

// A placeholder transcoder of the size the start-up check expects, so the
// start asks nothing.
constexpr char kTranscoder[] = "12345";

class ApplicationViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const Text programDirectory = dir_.path() + "program";
    ASSERT_TRUE(MakeDirectoryPath(programDirectory + "/data"));
    ASSERT_TRUE(WriteWholeFile(programDirectory + "/data/M3U8.exe", kTranscoder));
    saveDirectory_ = dir_.path() + "save/";
    ASSERT_TRUE(MakeDirectoryPath(saveDirectory_));

    desktop_ = std::make_unique<QtDesktop>();
    app_ = std::make_unique<Application>(
        programDirectory, *desktop_,
        TranscoderSource{"file:///nonexistent", static_cast<std::int64_t>(sizeof kTranscoder - 1)});
    view_ = std::make_unique<MainWindowView>(app_->window());
    view_->onClose = [this] {
      desktop_->Shutdown();
      app_->WindowDestroyed();
    };
    view_->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(view_.get()));
    app_->WindowCreated();
    view_->FlushNow();
    QGuiApplication::clipboard()->clear();
  }
  void TearDown() override {
    view_.reset();
    app_.reset();
    desktop_.reset();
    // A box that came up unasked would have been closed by the guard.
    EXPECT_TRUE(unexpectedBoxes_.isEmpty()) << unexpectedBoxes_.join(" | ").toStdString();
  }

  MainWindow& window() { return app_->window(); }
  template <typename W>
  W* widget(const Control& control) {
    return qobject_cast<W*>(view_->widgetOf(control));
  }
  QPoint RowCentre(const ListView& list, int row) {
    QTreeView* tree = widget<QTreeView>(list);
    return tree->visualRect(tree->model()->index(row, 0)).center();
  }
  void AddRows(ListView& list, int count) {
    for (int i = 1; i <= count; ++i) {
      const int row = list.AppendRow();
      list.SetCell(row, 0, DecimalText(i));
      list.SetCell(row, 1, "http://example.com/" + DecimalText(i) + ".m3u8");
    }
    QTreeView* tree = widget<QTreeView>(list);
    ASSERT_TRUE(ProcessUntil([&] { return tree->model()->rowCount() == list.RowCount(); }));
  }
  // A user's double-click: the first click, then the second one that the
  // platform reports as a double-click.
  void DoubleClick(const ListView& list, int row) {
    QWidget* viewport = widget<QTreeView>(list)->viewport();
    const QPoint position = RowCentre(list, row);
    QTest::mouseClick(viewport, Qt::LeftButton, {}, position);
    QTest::mouseDClick(viewport, Qt::LeftButton, {}, position);
  }
  void ContextMenuAt(const ListView& list, QPoint position) {
    QWidget* viewport = widget<QTreeView>(list)->viewport();
    QContextMenuEvent event(QContextMenuEvent::Mouse, position, viewport->mapToGlobal(position));
    QApplication::sendEvent(viewport, &event);
  }

  TempDir dir_;
  Text saveDirectory_;
  std::unique_ptr<QtDesktop> desktop_;
  std::unique_ptr<Application> app_;
  std::unique_ptr<MainWindowView> view_;
  // Closes any message box nobody expects, so a test fails instead of hanging.
  QStringList unexpectedBoxes_;
  Watcher boxGuard_{[this] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      unexpectedBoxes_.push_back(box->text());
      box->button(box->standardButtons() & QMessageBox::No ? QMessageBox::No : QMessageBox::Ok)
          ->click();
    }
    return false;
  }};
};

TEST_F(ApplicationViewTest, StartUpPlacesTheProgressBarAndTheFocus) {
  auto* progress = widget<QProgressBar>(window().进度条1);
  ASSERT_NE(progress, nullptr);
  EXPECT_EQ(progress->parentWidget(), view_->statusBar());
  EXPECT_EQ(progress->geometry(), QRect(292, 3, view_->statusBar()->width() - 294, 16));
  EXPECT_EQ(progress->geometry().width(), 745);
  EXPECT_EQ(view_->focusWidget(), view_->widgetOf(window().编辑框_m3u8地址));
  EXPECT_TRUE(
      widget<QLineEdit>(window().编辑框_保存位置)->text().endsWith(QStringLiteral("/视频下载/")));
}

TEST_F(ApplicationViewTest, TypedUrlAndNameAndAClickAddATask) {
  auto* url = widget<QLineEdit>(window().编辑框_m3u8地址);
  auto* name = widget<QLineEdit>(window().编辑框_文件名);
  auto* save = widget<QLineEdit>(window().编辑框_保存位置);
  QTest::keyClicks(url, QStringLiteral("http://example.com/a.m3u8"));
  QInputMethodEvent composed;
  composed.setCommitString(QStringLiteral("第一集"));
  QApplication::sendEvent(name, &composed);
  save->selectAll();
  QTest::keyClicks(save, ToQString(saveDirectory_));
  EXPECT_EQ(window().编辑框_保存位置.text(), saveDirectory_);

  QTest::mouseClick(widget<QPushButton>(window().按钮_添加任务), Qt::LeftButton);

  QTreeView* tasks = widget<QTreeView>(window().超级列表框_任务);
  ASSERT_TRUE(ProcessUntil([&] { return tasks->model()->rowCount() == 1; }));
  QAbstractItemModel* model = tasks->model();
  const QString expected[] = {
      QStringLiteral("1"),       QStringLiteral("http://example.com/a.m3u8"),
      QStringLiteral("第一集"),  QString(),
      ToQString(saveDirectory_), QStringLiteral("//[^\\s]*")};
  for (int column = 0; column < 6; ++column)
    EXPECT_EQ(model->data(model->index(0, column)).toString(), expected[column]) << column;
  // The URL box is emptied for the next task.
  EXPECT_TRUE(ProcessUntil([&] { return url->text().isEmpty(); }));
}

TEST_F(ApplicationViewTest, RightClickOnASelectedTaskOpensTheMenu) {
  ListView& tasks = window().超级列表框_任务;
  AddRows(tasks, 3);

  // Nothing selected, below the rows: no menu.
  bool popped = false;
  {
    Watcher watcher([&] {
      auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget());
      if (!popup) return false;
      popped = true;
      popup->close();
      return true;
    });
    ContextMenuAt(tasks, QPoint(50, 300));
  }
  EXPECT_FALSE(popped);

  const QPoint third = RowCentre(tasks, 2);
  QTreeView* tree = widget<QTreeView>(tasks);
  QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, third);
  ASSERT_EQ(tasks.GetSelection(), 2);
  QString title;
  QStringList items;
  Watcher watcher([&] {
    auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    if (!popup) return false;
    title = popup->title();
    for (QAction* action : popup->actions()) items.push_back(action->text());
    QTest::keyClick(popup, Qt::Key_Down);
    QTest::keyClick(popup, Qt::Key_Return);  // "复制地址"
    return true;
  });
  ContextMenuAt(tasks, third);
  EXPECT_TRUE(watcher.acted());
  EXPECT_EQ(title, QStringLiteral("右键"));
  EXPECT_EQ(items, QStringList({QStringLiteral("复制地址"), QStringLiteral("删除任务")}));
  // The number, not the address.
  EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("3"));
}

TEST_F(ApplicationViewTest, DoubleClicksCopyTheTaskNumberAndTheSegmentAddress) {
  ListView& tasks = window().超级列表框_任务;
  AddRows(tasks, 3);
  DoubleClick(tasks, 2);
  EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("3"));

  ListView& segments = window().超级列表框_下载列表;
  const int row = segments.AppendRow();
  segments.SetCell(row, segment_column::kAddress, "http://cdn.example.com/0.ts");
  QTreeView* tree = widget<QTreeView>(segments);
  ASSERT_TRUE(ProcessUntil([&] { return tree->model()->rowCount() == 1; }));
  DoubleClick(segments, 0);
  EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("http://cdn.example.com/0.ts"));
}

TEST_F(ApplicationViewTest, ClosingTheWindowEndsTheApplication) {
  EXPECT_TRUE(view_->close());
  EXPECT_TRUE(app_->shared().closing.load());
  // No box can hold a background thread any more.
  EXPECT_EQ(desktop_->ShowMessage({"x", kDefaultCaption, MessageButtons::YesNo}),
            MessageAnswer::No);
}

}  // namespace
