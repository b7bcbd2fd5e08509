#include "app/view/main_window_view.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTreeView>

#include <algorithm>

#include "app/view/list_view_model.h"
#include "app/view/qt_text.h"
#include "app/view/status_bar_widget.h"

struct MainWindowView::Entry {
  Control* control = nullptr;
  QWidget* widget = nullptr;
  std::atomic<bool> dirty{false};
  // List views only.
  ListViewModel* model = nullptr;
  QTreeView* tree = nullptr;
  int visibleRequest = -1;
};

namespace {

QRect ToQRect(const Rect& r) { return QRect(r.left, r.top, r.width, r.height); }

}  // namespace

MainWindowView::MainWindowView(MainWindow& window, QWidget* parent)
    : QWidget(parent), window_(window) {
  setWindowTitle(ToQString(window_.title));
  move(window_.place.left, window_.place.top);
  resize(window_.place.width, window_.place.height);

  const std::vector<Control*>& controls = window_.controls();
  entryCount_ = controls.size();
  entries_ = std::make_unique<Entry[]>(entryCount_);
  // Parents come before their children in the window's list, so a child's
  // parent widget always exists when the child is made.
  for (size_t i = 0; i < entryCount_; ++i) {
    entries_[i].control = controls[i];
    indexOf_[controls[i]] = i;
    entries_[i].widget = CreateWidget(entries_[i]);
  }

  statusBarHeight_ = std::max(window_.状态条1.place().height, fontMetrics().height() + 6);
  DockStatusBar();

  for (size_t i = 0; i < entryCount_; ++i) Apply(entries_[i]);

  flushTimer_.setSingleShot(true);
  connect(&flushTimer_, &QTimer::timeout, this, [this] { FlushNow(); });
  connect(&clock_, &QTimer::timeout, this, [this] { window_.时钟1.Tick(); });
  ApplyTimer();
  ApplyFocus();

  window_.SetObserver(this);
  window_.时钟1.SetPeriodObserver([this] {
    timerDirty_.store(true);
    RequestFlush();
  });
  window_.SetFocusObserver([this] {
    focusDirty_.store(true);
    RequestFlush();
  });
}

MainWindowView::~MainWindowView() {
  window_.SetObserver(nullptr);
  window_.时钟1.SetPeriodObserver(nullptr);
  window_.SetFocusObserver(nullptr);
}

QWidget* MainWindowView::CreateWidget(Entry& entry) {
  Control& control = *entry.control;
  QWidget* parentWidget = control.parent() ? widgetOf(*control.parent()) : this;
  if (!parentWidget) parentWidget = this;
  switch (control.kind()) {
    case Control::Kind::GroupBox:
      return new QGroupBox(parentWidget);
    case Control::Kind::Label: {
      auto* label = new QLabel(parentWidget);
      // Every label ends where its edit box begins.
      label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
      return label;
    }
    case Control::Kind::EditBox: {
      auto* edit = new QLineEdit(parentWidget);
      auto& box = static_cast<EditBox&>(control);
      // Only the user's edits: a text the program set is already in the box.
      connect(edit, &QLineEdit::textEdited, this,
              [&box](const QString& text) { box.SetText(FromQString(text)); });
      return edit;
    }
    case Control::Kind::Button: {
      auto* button = new QPushButton(parentWidget);
      button->setAutoDefault(false);
      auto& model = static_cast<Button&>(control);
      connect(button, &QPushButton::clicked, this, [&model] { model.Click(); });
      return button;
    }
    case Control::Kind::ListView:
      entry.tree = new QTreeView(parentWidget);
      WireListView(entry);
      return entry.tree;
    case Control::Kind::StatusBar: {
      auto& bar = static_cast<StatusBar&>(control);
      std::vector<int> widths;
      for (int i = 0; i < bar.PanelCount(); ++i) widths.push_back(bar.PanelWidth(i));
      // Docked to the window itself, whatever parent the control names.
      statusBar_ = new StatusBarWidget(widths, this);
      return statusBar_;
    }
    case Control::Kind::ProgressBar: {
      auto* progress = new QProgressBar(parentWidget);
      progress->setRange(0, 100);
      progress->setTextVisible(false);
      return progress;
    }
  }
  return new QWidget(parentWidget);
}

void MainWindowView::WireListView(Entry& entry) {
  auto& list = static_cast<ListView&>(*entry.control);
  QTreeView* tree = entry.tree;
  entry.model = new ListViewModel(list, tree);
  tree->setModel(entry.model);
  tree->setRootIsDecorated(false);
  tree->setItemsExpandable(false);
  tree->setUniformRowHeights(true);
  tree->setAllColumnsShowFocus(true);
  tree->setSelectionMode(QAbstractItemView::SingleSelection);
  tree->setSelectionBehavior(QAbstractItemView::SelectRows);
  tree->setEditTriggers(QAbstractItemView::NoEditTriggers);
  tree->setContextMenuPolicy(Qt::CustomContextMenu);
  QHeaderView* header = tree->header();
  header->setStretchLastSection(false);
  header->setSectionsMovable(false);
  header->setMinimumSectionSize(0);
  const std::vector<ListView::Column>& columns = list.columns();
  for (int i = 0; i < static_cast<int>(columns.size()); ++i) {
    header->resizeSection(i, columns[i].width);
    tree->setColumnHidden(i, columns[i].width == 0);
  }

  ListViewModel* model = entry.model;
  connect(tree->selectionModel(), &QItemSelectionModel::selectionChanged, this,
          [this, &list, tree, model] {
            if (applying_) return;
            const QModelIndexList rows = tree->selectionModel()->selectedRows();
            const ListView::RowId id = rows.isEmpty() ? 0 : model->IdAt(rows.first().row());
            list.SetSelection(id ? list.IndexOf(id) : -1);
          });
  connect(tree, &QWidget::customContextMenuRequested, this, [&list] { list.RightClick(); });
  connect(tree, &QAbstractItemView::doubleClicked, this, [&list] { list.DoubleClick(); });
}

QWidget* MainWindowView::widgetOf(const Control& control) const {
  auto it = indexOf_.find(&control);
  return it == indexOf_.end() ? nullptr : entries_[it->second].widget;
}

StatusBarWidget* MainWindowView::statusBar() const { return statusBar_; }

void MainWindowView::ControlChanged(Control& control) {
  auto it = indexOf_.find(&control);
  if (it == indexOf_.end()) return;
  entries_[it->second].dirty.store(true);
  RequestFlush();
}

void MainWindowView::RequestFlush() {
  // The mark is set before this test, and the flush clears the pending flag
  // before it reads the marks: a change is either seen by a flush already
  // running or queues a new one.
  if (flushPending_.exchange(true)) return;
  QMetaObject::invokeMethod(
      this, [this] { OnFlushRequested(); }, Qt::QueuedConnection);
}

void MainWindowView::OnFlushRequested() {
  if (sinceFlush_.isValid()) {
    const qint64 wait = kMinFlushIntervalMs - sinceFlush_.elapsed();
    if (wait > 0) {
      if (!flushTimer_.isActive()) flushTimer_.start(static_cast<int>(wait));
      return;
    }
  }
  FlushNow();
}

void MainWindowView::FlushNow() {
  flushTimer_.stop();
  flushPending_.store(false);
  sinceFlush_.start();
  applying_ = true;
  for (size_t i = 0; i < entryCount_; ++i)
    if (entries_[i].dirty.exchange(false)) Apply(entries_[i]);
  if (timerDirty_.exchange(false)) ApplyTimer();
  if (focusDirty_.exchange(false)) ApplyFocus();
  applying_ = false;
}

void MainWindowView::Apply(Entry& entry) {
  const bool wasApplying = applying_;
  applying_ = true;
  Control& control = *entry.control;
  QWidget* widget = entry.widget;

  if (control.kind() == Control::Kind::StatusBar) {
    widget->setGeometry(DockedStatusBarRect());
  } else {
    QWidget* parentWidget = control.parent() ? widgetOf(*control.parent()) : this;
    if (!parentWidget) parentWidget = this;
    if (widget->parentWidget() != parentWidget) {
      // Reparenting hides a widget; its visibility is set again below.
      widget->setParent(parentWidget);
      widget->raise();
    }
    const QRect place = ToQRect(control.place());
    if (widget->geometry() != place) widget->setGeometry(place);
  }
  if (widget->isEnabled() != control.enabled()) widget->setEnabled(control.enabled());
  // A control created invisible is never shown.
  if (widget->isHidden() == control.visible()) widget->setVisible(control.visible());

  const QString caption = ToQString(control.caption());
  switch (control.kind()) {
    case Control::Kind::GroupBox: {
      auto* box = static_cast<QGroupBox*>(widget);
      if (box->title() != caption) box->setTitle(caption);
      break;
    }
    case Control::Kind::Label: {
      auto* label = static_cast<QLabel*>(widget);
      if (label->text() != caption) label->setText(caption);
      break;
    }
    case Control::Kind::EditBox: {
      // Unchanged text is left alone, so the echo of a user's own edit does
      // not move the cursor.
      auto* edit = static_cast<QLineEdit*>(widget);
      if (edit->text() != caption) edit->setText(caption);
      break;
    }
    case Control::Kind::Button: {
      auto* button = static_cast<QPushButton*>(widget);
      if (button->text() != caption) button->setText(caption);
      break;
    }
    case Control::Kind::ListView: {
      entry.model->Sync();
      ApplySelection(entry);
      const int request = static_cast<ListView&>(control).VisibleRequest();
      if (request != entry.visibleRequest) {
        entry.visibleRequest = request;
        if (request >= 0 && request < entry.model->rowCount())
          entry.tree->scrollTo(entry.model->index(request, 0));
      }
      break;
    }
    case Control::Kind::StatusBar: {
      auto& bar = static_cast<StatusBar&>(control);
      for (int i = 0; i < bar.PanelCount(); ++i)
        statusBar_->setPanelText(i, ToQString(bar.PanelText(i)));
      break;
    }
    case Control::Kind::ProgressBar: {
      auto* progress = static_cast<QProgressBar*>(widget);
      // Out of range shows as the nearest end; -1 as empty.
      const int value = std::clamp(static_cast<ProgressBar&>(control).position(), 0, 100);
      if (progress->value() != value) progress->setValue(value);
      break;
    }
  }
  applying_ = wasApplying;
}

void MainWindowView::ApplySelection(Entry& entry) {
  const auto& list = static_cast<const ListView&>(*entry.control);
  const int selected = list.GetSelection();
  const ListView::RowId id = selected < 0 ? 0 : list.IdAt(selected);
  const int wanted = id ? entry.model->RowOf(id) : -1;
  QItemSelectionModel* selection = entry.tree->selectionModel();
  const QModelIndexList rows = selection->selectedRows();
  const int shown = rows.isEmpty() ? -1 : rows.first().row();
  if (shown == wanted) return;
  if (wanted < 0)
    selection->clearSelection();
  else
    selection->setCurrentIndex(entry.model->index(wanted, 0),
                               QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void MainWindowView::ApplyTimer() {
  const int period = window_.时钟1.period();
  if (period <= 0) {
    clock_.stop();
  } else if (!clock_.isActive() || clock_.interval() != period) {
    clock_.start(period);
  }
}

void MainWindowView::ApplyFocus() {
  Control* control = window_.focus();
  if (!control) return;
  if (QWidget* widget = widgetOf(*control)) widget->setFocus(Qt::OtherFocusReason);
}

QRect MainWindowView::DockedStatusBarRect() const {
  return QRect(0, height() - statusBarHeight_, width(), statusBarHeight_);
}

void MainWindowView::DockStatusBar() {
  const QRect docked = DockedStatusBarRect();
  statusBar_->setGeometry(docked);
  const Rect place{docked.x(), docked.y(), docked.width(), docked.height()};
  if (window_.状态条1.place() != place) window_.状态条1.SetPlace(place);
}

void MainWindowView::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (statusBar_) DockStatusBar();
}

void MainWindowView::closeEvent(QCloseEvent* event) {
  if (!closed_) {
    closed_ = true;
    if (onClose) onClose();
  }
  event->accept();
}
