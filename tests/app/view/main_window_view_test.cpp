#include "app/view/main_window_view.h"

#include <gtest/gtest.h>

#include <QGroupBox>
#include <QHeaderView>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QTreeView>

#include <memory>
#include <thread>
#include <vector>

#include "app/view/qt_text.h"
#include "app/view/status_bar_widget.h"
#include "qt_wait.h"

using view_testing::ProcessUntil;

namespace {

class MainWindowViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    view_ = std::make_unique<MainWindowView>(window_);
    view_->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(view_.get()));
  }
  void TearDown() override { view_.reset(); }

  template <typename W>
  W* widget(const Control& control) {
    auto* w = qobject_cast<W*>(view_->widgetOf(control));
    EXPECT_NE(w, nullptr) << ToUtf8(control.name());
    return w;
  }
  QTreeView* tree(const ListView& list) { return widget<QTreeView>(list); }
  // The centre of a row of a list's widget, in its viewport.
  QPoint RowCentre(const ListView& list, int row) {
    QTreeView* t = tree(list);
    return t->visualRect(t->model()->index(row, 0)).center();
  }
  void AddTaskRow(const Text& number, const Text& url) {
    ListView& tasks = window_.超级列表框_任务;
    const int row = tasks.AppendRow();
    tasks.SetCell(row, task_column::kNumber, number);
    tasks.SetCell(row, task_column::kUrl, url);
  }

  MainWindow window_;
  std::unique_ptr<MainWindowView> view_;
};

TEST_F(MainWindowViewTest, WindowHasItsTitlePlaceAndNoMenuBar) {
  EXPECT_EQ(view_->windowTitle(), QStringLiteral("Vantrelo By Brisquell"));
  EXPECT_EQ(view_->pos(), QPoint(50, 50));
  EXPECT_EQ(view_->size(), QSize(1039, 580));
  EXPECT_TRUE(view_->findChildren<QMenuBar*>().isEmpty());
}

TEST_F(MainWindowViewTest, EveryControlIsAtItsPlaceWithItsCaption) {
  struct Case {
    const Control& control;
    const char* widgetClass;
    QRect place;  // relative to the parent widget
    const Control* parent;
    QString caption;
  };
  const GroupBox& group = window_.分组框1;
  const Case cases[] = {
      {window_.分组框1, "QGroupBox", {12, 8, 600, 126}, nullptr, QStringLiteral("基本设置")},
      {window_.标签_m3u8, "QLabel", {12, 21, 69, 24}, &group, QStringLiteral("文件地址：")},
      {window_.编辑框_m3u8地址, "QLineEdit", {86, 21, 347, 24}, &group, QString()},
      {window_.按钮_添加任务,
       "QPushButton",
       {452, 19, 131, 28},
       &group,
       QStringLiteral("添加任务")},
      {window_.标签_头, "QLabel", {17, 53, 64, 24}, &group, QStringLiteral("地址或头：")},
      {window_.编辑框_地址或头, "QLineEdit", {86, 53, 70, 24}, &group, QStringLiteral("http:")},
      {window_.标签_正则, "QLabel", {158, 53, 64, 24}, &group, QStringLiteral("内容正则：")},
      {window_.编辑框_正则, "QLineEdit", {222, 53, 70, 24}, &group, QStringLiteral("//[^\\s]*")},
      {window_.标签2, "QLabel", {300, 53, 48, 24}, &group, QStringLiteral("文件名：")},
      {window_.编辑框_文件名, "QLineEdit", {348, 53, 85, 24}, &group, QString()},
      {window_.按钮_开始任务,
       "QPushButton",
       {452, 51, 131, 28},
       &group,
       QStringLiteral("开始任务")},
      {window_.标签_保存位置, "QLabel", {1, 86, 80, 24}, &group, QStringLiteral("保存位置：")},
      {window_.编辑框_保存位置,
       "QLineEdit",
       {86, 86, 150, 24},
       &group,
       QStringLiteral("D:\\AAAA\\")},
      {window_.按钮_选择目录, "QPushButton", {239, 86, 40, 24}, &group, QStringLiteral("...")},
      {window_.按钮_查看, "QPushButton", {280, 86, 40, 24}, &group, QStringLiteral("查看")},
      {window_.标签3, "QLabel", {329, 86, 48, 24}, &group, QStringLiteral("线程数：")},
      {window_.编辑框_线程数, "QLineEdit", {377, 86, 56, 24}, &group, QStringLiteral("10")},
      {window_.按钮_批量改名,
       "QPushButton",
       {452, 84, 131, 28},
       &group,
       QStringLiteral("批量改名")},
      {window_.超级列表框_任务, "QTreeView", {12, 144, 600, 376}, nullptr, QString()},
      {window_.超级列表框_下载列表, "QTreeView", {616, 14, 408, 506}, nullptr, QString()},
      {window_.进度条1, "QProgressBar", {296, 528, 144, 16}, nullptr, QString()},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(ToUtf8(c.control.name()));
    QWidget* w = view_->widgetOf(c.control);
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(w->inherits(c.widgetClass)) << w->metaObject()->className();
    EXPECT_EQ(w->geometry(), c.place);
    EXPECT_EQ(w->parentWidget(), c.parent ? view_->widgetOf(*c.parent) : view_.get());
    EXPECT_TRUE(w->isVisible());
    QString shown;
    if (auto* label = qobject_cast<QLabel*>(w)) shown = label->text();
    if (auto* edit = qobject_cast<QLineEdit*>(w)) shown = edit->text();
    if (auto* button = qobject_cast<QPushButton*>(w)) shown = button->text();
    if (auto* box = qobject_cast<QGroupBox*>(w)) shown = box->title();
    EXPECT_EQ(shown, c.caption);
  }
}

TEST_F(MainWindowViewTest, ListViewsShowTheirColumnsInReportStyle) {
  struct Case {
    const ListView& list;
    std::vector<std::pair<QString, int>> columns;
  };
  const Case cases[] = {
      {window_.超级列表框_任务,
       {{QStringLiteral("编号"), 40},
        {QStringLiteral("M3U8地址"), 300},
        {QStringLiteral("文件名"), 150},
        {QStringLiteral("状态"), 100},
        {QStringLiteral("保存位置"), 0},
        {QStringLiteral("正则"), 0}}},
      {window_.超级列表框_下载列表,
       {{QStringLiteral("文件下载地址"), 300}, {QStringLiteral("状态"), 100}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(ToUtf8(c.list.name()));
    QTreeView* t = tree(c.list);
    ASSERT_NE(t, nullptr);
    EXPECT_FALSE(t->rootIsDecorated());
    EXPECT_EQ(t->selectionMode(), QAbstractItemView::SingleSelection);
    EXPECT_EQ(t->selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_TRUE(t->header()->isVisible());
    ASSERT_EQ(t->model()->columnCount(), static_cast<int>(c.columns.size()));
    for (int i = 0; i < static_cast<int>(c.columns.size()); ++i) {
      EXPECT_EQ(t->model()->headerData(i, Qt::Horizontal).toString(), c.columns[i].first);
      const bool hidden = c.columns[i].second == 0;
      EXPECT_EQ(t->isColumnHidden(i), hidden) << i;
      if (!hidden) {
        EXPECT_EQ(t->header()->sectionSize(i), c.columns[i].second) << i;
      }
    }
  }
}

TEST_F(MainWindowViewTest, StatusBarDocksAtTheBottomAndTakesTheProgressBar) {
  StatusBarWidget* bar = view_->statusBar();
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(view_->widgetOf(window_.状态条1), bar);
  const QRect docked = bar->geometry();
  EXPECT_EQ(docked.left(), 0);
  EXPECT_EQ(docked.width(), 1039);
  EXPECT_EQ(docked.bottom(), 579);
  EXPECT_GE(docked.height(), 20);
  // Its real place is what the control layer computes with.
  EXPECT_EQ(window_.状态条1.place(), (Rect{0, docked.top(), 1039, docked.height()}));

  ASSERT_EQ(bar->panelCount(), 3);
  const int widths[] = {110, 130, 50};
  const QString texts[] = {QStringLiteral("当前任务："), QStringLiteral("当前下载："),
                           QStringLiteral("进度：")};
  int left = 0;
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(bar->panelGeometry(i), QRect(left, 0, widths[i], docked.height())) << i;
    EXPECT_EQ(bar->panelText(i), texts[i]) << i;
    left += widths[i];
  }

  // The window-created placement, through the control layer.
  const Rect place = window_.状态条1.place();
  window_.进度条1.SetPlace({292, 3, place.width - 294, window_.进度条1.place().height});
  window_.进度条1.SetParent(&window_.状态条1);
  auto* progress = widget<QProgressBar>(window_.进度条1);
  ASSERT_TRUE(ProcessUntil([&] { return progress->parentWidget() == bar; }));
  EXPECT_EQ(progress->geometry(), QRect(292, 3, 745, 16));
  EXPECT_TRUE(progress->isVisible());
  EXPECT_EQ(progress->minimum(), 0);
  EXPECT_EQ(progress->maximum(), 100);

  const std::pair<int, int> positions[] = {{37, 37}, {-1, 0}, {100, 100}, {250, 100}, {0, 0}};
  for (auto [position, shown] : positions) {
    window_.进度条1.SetPosition(position);
    EXPECT_TRUE(ProcessUntil([&] { return progress->value() == shown; })) << position;
  }

  window_.状态条1.SetPanelText(1, "当前下载：1/8");
  EXPECT_TRUE(ProcessUntil([&] { return bar->panelText(1) == QStringLiteral("当前下载：1/8"); }));
}

TEST_F(MainWindowViewTest, InvisibleControlsAreNeverShown) {
  const Control* hidden[] = {&window_.按钮_开始下载, &window_.按钮_暂停, &window_.按钮_合并,
                             &window_.按钮_分析, &window_.标签1};
  // Writing their state must not bring them up either.
  window_.按钮_开始下载.SetEnabled(false);
  window_.按钮_暂停.SetEnabled(true);
  window_.按钮_合并.SetPlace({10, 10, 50, 20});
  window_.标签1.SetEnabled(false);
  view_->FlushNow();
  for (const Control* control : hidden) {
    QWidget* w = view_->widgetOf(*control);
    ASSERT_NE(w, nullptr) << ToUtf8(control->name());
    EXPECT_FALSE(w->isVisible()) << ToUtf8(control->name());
  }
}

TEST_F(MainWindowViewTest, ChangesFromOtherThreadsReachTheWidgetsLatestLast) {
  auto* url = widget<QLineEdit>(window_.编辑框_m3u8地址);
  QTreeView* downloads = tree(window_.超级列表框_下载列表);
  ListView& list = window_.超级列表框_下载列表;
  int changes = 0;
  window_.编辑框_m3u8地址.onChanged = [&] { ++changes; };

  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&list, t] {
      for (int i = 0; i < 50; ++i) {
        const int row = list.AppendRow();
        list.SetCell(row, segment_column::kAddress, "http://x/" + DecimalText(t * 50 + i));
        list.SetCell(row, segment_column::kStatus, "下载中");
        list.SetCell(row, segment_column::kStatus, "下载成功");
      }
    });
  }
  threads.emplace_back([this] {
    for (int i = 0; i <= 100; ++i) window_.编辑框_m3u8地址.SetText("地址" + DecimalText(i));
  });
  for (std::thread& t : threads) t.join();
  EXPECT_EQ(changes, 101);

  EXPECT_TRUE(ProcessUntil([&] { return url->text() == QStringLiteral("地址100"); }));
  ASSERT_TRUE(ProcessUntil([&] { return downloads->model()->rowCount() == 200; }));
  const std::vector<ListView::Row> rows = list.Snapshot();
  for (int row = 0; row < 200; ++row) {
    QAbstractItemModel* m = downloads->model();
    ASSERT_EQ(m->data(m->index(row, 0)).toString(), ToQString(rows[row].cells[0])) << row;
    ASSERT_EQ(m->data(m->index(row, 1)).toString(), QStringLiteral("下载成功")) << row;
  }
  // Whatever the program set is not echoed back as the user's edit.
  EXPECT_EQ(changes, 101);
}

TEST_F(MainWindowViewTest, UserInputGoesIntoTheControls) {
  auto* edit = widget<QLineEdit>(window_.编辑框_文件名);
  int changes = 0;
  window_.编辑框_文件名.onChanged = [&] { ++changes; };
  edit->setFocus();
  // Chinese arrives from the input method as one committed string.
  QInputMethodEvent composed;
  composed.setCommitString(QStringLiteral("视频"));
  QApplication::sendEvent(edit, &composed);
  QTest::keyClicks(edit, QStringLiteral("ab"));
  EXPECT_EQ(window_.编辑框_文件名.text(), Text("视频ab"));
  EXPECT_EQ(changes, 3);  // one per edit
  view_->FlushNow();
  EXPECT_EQ(edit->text(), QStringLiteral("视频ab"));
  EXPECT_EQ(changes, 3);

  int clicks = 0;
  window_.按钮_批量改名.onClicked = [&] { ++clicks; };
  auto* button = widget<QPushButton>(window_.按钮_批量改名);
  QTest::mouseClick(button, Qt::LeftButton);
  EXPECT_EQ(clicks, 1);
  window_.按钮_批量改名.SetEnabled(false);
  ASSERT_TRUE(ProcessUntil([&] { return !button->isEnabled(); }));
  QTest::mouseClick(button, Qt::LeftButton);
  EXPECT_EQ(clicks, 1);
}

TEST_F(MainWindowViewTest, ListSelectionAndClicksGoBothWays) {
  for (int i = 1; i <= 3; ++i) AddTaskRow(DecimalText(i), "http://host/" + DecimalText(i));
  ListView& tasks = window_.超级列表框_任务;
  QTreeView* t = tree(tasks);
  ASSERT_TRUE(ProcessUntil([&] { return t->model()->rowCount() == 3; }));

  QTest::mouseClick(t->viewport(), Qt::LeftButton, {}, RowCentre(tasks, 1));
  EXPECT_EQ(tasks.GetSelection(), 1);

  tasks.SetSelection(2);
  EXPECT_TRUE(ProcessUntil([&] {
    const QModelIndexList rows = t->selectionModel()->selectedRows();
    return rows.size() == 1 && rows.first().row() == 2;
  }));
  tasks.RemoveRow(2);
  EXPECT_TRUE(ProcessUntil([&] {
    return t->model()->rowCount() == 2 && t->selectionModel()->selectedRows().isEmpty();
  }));
  EXPECT_EQ(tasks.GetSelection(), -1);

  int rightClicks = 0;
  int doubleClicks = 0;
  tasks.onRightClick = [&] { ++rightClicks; };
  tasks.onDoubleClick = [&] { ++doubleClicks; };
  const QPoint row0 = RowCentre(tasks, 0);
  QTest::mouseClick(t->viewport(), Qt::LeftButton, {}, row0);
  QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, row0, t->viewport()->mapToGlobal(row0));
  QApplication::sendEvent(t->viewport(), &menuEvent);
  EXPECT_EQ(rightClicks, 1);
  QTest::mouseDClick(t->viewport(), Qt::LeftButton, {}, row0);
  EXPECT_EQ(doubleClicks, 1);
  EXPECT_EQ(tasks.GetSelection(), 0);
}

TEST_F(MainWindowViewTest, TimerFollowsThePeriod) {
  const QTimer& clock = view_->clockTimer();
  EXPECT_TRUE(clock.isActive());
  EXPECT_EQ(clock.interval(), 1000);

  int ticks = 0;
  window_.时钟1.onTick = [&] { ++ticks; };
  std::thread([this] { window_.时钟1.SetPeriod(0); }).join();
  EXPECT_TRUE(ProcessUntil([&] { return !clock.isActive(); }));
  std::thread([this] { window_.时钟1.SetPeriod(10); }).join();
  EXPECT_TRUE(ProcessUntil([&] { return ticks >= 3; }));
  EXPECT_EQ(clock.interval(), 10);
}

TEST_F(MainWindowViewTest, FocusFollowsTheWindowsFocus) {
  std::thread([this] { window_.SetFocus(&window_.编辑框_文件名); }).join();
  QWidget* edit = view_->widgetOf(window_.编辑框_文件名);
  EXPECT_TRUE(ProcessUntil([&] { return view_->focusWidget() == edit; }));
  window_.SetFocus(&window_.编辑框_m3u8地址);
  QWidget* url = view_->widgetOf(window_.编辑框_m3u8地址);
  EXPECT_TRUE(ProcessUntil([&] { return view_->focusWidget() == url; }));
}

TEST_F(MainWindowViewTest, ClosingIsNeverRefusedAndTellsOnce) {
  int closes = 0;
  view_->onClose = [&] { ++closes; };
  EXPECT_TRUE(view_->close());
  EXPECT_FALSE(view_->isVisible());
  EXPECT_EQ(closes, 1);
}

TEST_F(MainWindowViewTest, ScreenshotShowsTheWindow) {
  AddTaskRow("1", "http://example.com/视频/index.m3u8");
  window_.超级列表框_任务.SetCell(0, task_column::kFileName, "第一集");
  window_.超级列表框_任务.SetCell(0, task_column::kStatus, "正在分析");
  const int row = window_.超级列表框_下载列表.AppendRow();
  window_.超级列表框_下载列表.SetCell(row, segment_column::kAddress, "http://example.com/0.ts");
  window_.超级列表框_下载列表.SetCell(row, segment_column::kStatus, "下载成功");
  window_.进度条1.SetPlace({292, 3, window_.状态条1.place().width - 294, 16});
  window_.进度条1.SetParent(&window_.状态条1);
  window_.进度条1.SetPosition(40);
  view_->FlushNow();
  const QPixmap shot = view_->grab();
  EXPECT_EQ(shot.size(), QSize(1039, 580));
  EXPECT_TRUE(shot.save(QStringLiteral(VANTRELO_VIEW_SCREENSHOT_DIR "/main_window.png")));
}

}  // namespace
