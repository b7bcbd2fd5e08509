#include "app/list_view.h"

#include <algorithm>

ListView::ListView(Text name, Rect place, std::vector<Column> columns)
    : Control(Kind::ListView, std::move(name), Text(), place), columns_(std::move(columns)) {}

int ListView::AppendRow() {
  int index;
  {
    std::lock_guard lock(mutex_);
    Row row;
    row.id = nextId_++;
    row.revision = ++revision_;
    row.cells.resize(columns_.size());
    rows_.push_back(std::move(row));
    index = static_cast<int>(rows_.size()) - 1;
  }
  Changed();
  return index;
}

void ListView::RemoveRow(int row) {
  {
    std::lock_guard lock(mutex_);
    if (row < 0 || row >= static_cast<int>(rows_.size())) return;
    if (rows_[row].id == selected_) selected_ = 0;
    rows_.erase(rows_.begin() + row);
    ++revision_;
  }
  Changed();
}

void ListView::RemoveAllRows() {
  {
    std::lock_guard lock(mutex_);
    rows_.clear();
    selected_ = 0;
    ++revision_;
  }
  Changed();
}

int ListView::RowCount() const {
  std::lock_guard lock(mutex_);
  return static_cast<int>(rows_.size());
}

Text ListView::GetCell(int row, int column) const {
  std::lock_guard lock(mutex_);
  if (row < 0 || row >= static_cast<int>(rows_.size())) return {};
  if (column < 0 || column >= static_cast<int>(columns_.size())) return {};
  return rows_[row].cells[column];
}

void ListView::SetCell(int row, int column, const Text& text) {
  {
    std::lock_guard lock(mutex_);
    if (row < 0 || row >= static_cast<int>(rows_.size())) return;
    if (column < 0 || column >= static_cast<int>(columns_.size())) return;
    rows_[row].cells[column] = text;
    rows_[row].revision = ++revision_;
  }
  Changed();
}

int ListView::IndexOfLocked(RowId id) const {
  // Rows keep their order, so ids ascend along the list: binary search.
  auto it = std::lower_bound(rows_.begin(), rows_.end(), id,
                             [](const Row& row, RowId value) { return row.id < value; });
  if (it == rows_.end() || it->id != id) return -1;
  return static_cast<int>(it - rows_.begin());
}

ListView::RowId ListView::IdAt(int row) const {
  std::lock_guard lock(mutex_);
  if (row < 0 || row >= static_cast<int>(rows_.size())) return 0;
  return rows_[row].id;
}

int ListView::IndexOf(RowId id) const {
  std::lock_guard lock(mutex_);
  return IndexOfLocked(id);
}

Text ListView::GetCellById(RowId id, int column) const {
  std::lock_guard lock(mutex_);
  int row = IndexOfLocked(id);
  if (row < 0 || column < 0 || column >= static_cast<int>(columns_.size())) return {};
  return rows_[row].cells[column];
}

void ListView::SetCellById(RowId id, int column, const Text& text) {
  {
    std::lock_guard lock(mutex_);
    int row = IndexOfLocked(id);
    if (row < 0 || column < 0 || column >= static_cast<int>(columns_.size())) return;
    rows_[row].cells[column] = text;
    rows_[row].revision = ++revision_;
  }
  Changed();
}

int ListView::GetSelection() const {
  std::lock_guard lock(mutex_);
  return selected_ == 0 ? -1 : IndexOfLocked(selected_);
}

void ListView::SetSelection(int row) {
  {
    std::lock_guard lock(mutex_);
    selected_ = (row >= 0 && row < static_cast<int>(rows_.size())) ? rows_[row].id : 0;
    ++revision_;
  }
  Changed();
}

void ListView::EnsureVisible(int row) {
  {
    std::lock_guard lock(mutex_);
    if (row < 0 || row >= static_cast<int>(rows_.size())) return;
    visibleRequest_ = row;
    ++revision_;
  }
  Changed();
}

int ListView::VisibleRequest() const {
  std::lock_guard lock(mutex_);
  return visibleRequest_;
}

std::vector<ListView::Row> ListView::Snapshot() const {
  std::lock_guard lock(mutex_);
  return rows_;
}

std::uint64_t ListView::revision() const {
  std::lock_guard lock(mutex_);
  return revision_;
}

void ListView::RightClick() {
  if (onRightClick) onRightClick();
}

void ListView::DoubleClick() {
  if (onDoubleClick) onDoubleClick();
}
