#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "app/control.h"

// A report-style list view: rows of text cells under fixed columns. Rows are
// addressed by their 0-based index, as the system's routines do; each row
// also has an identity that never changes while it lives, so that a thread
// can keep working on one row while rows above it are removed.
class ListView : public Control {
 public:
  struct Column {
    Text header;
    int width = 0;  // 0: hidden
  };
  using RowId = std::uint64_t;  // 0 is never a row
  struct Row {
    RowId id = 0;
    std::uint64_t revision = 0;  // changes with every write to the row
    std::vector<Text> cells;
  };

  ListView(Text name, Rect place, std::vector<Column> columns);

  const std::vector<Column>& columns() const { return columns_; }

  // Appends an empty row; returns its index.
  int AppendRow();
  // Removes one row; the rows below move up. Out of range: nothing.
  void RemoveRow(int row);
  void RemoveAllRows();
  int RowCount() const;

  // One cell; empty text when the row or column does not exist.
  Text GetCell(int row, int column) const;
  // Writes one cell; nothing when the row or column does not exist.
  void SetCell(int row, int column, const Text& text);

  // Identity of the row at an index (0 when out of range), and the current
  // index of a row (−1 once it is gone).
  RowId IdAt(int row) const;
  int IndexOf(RowId id) const;
  Text GetCellById(RowId id, int column) const;
  void SetCellById(RowId id, int column, const Text& text);

  // Current row, −1 when none.
  int GetSelection() const;
  void SetSelection(int row);

  // Scrolls so that the row is visible; nothing for a row out of range.
  void EnsureVisible(int row);
  // The row that EnsureVisible last asked for (−1 before any).
  int VisibleRequest() const;

  // Whole content for the view; `revision()` changes with every change.
  std::vector<Row> Snapshot() const;
  std::uint64_t revision() const;

  // Events raised by the view (or a test) on the window thread.
  void RightClick();
  void DoubleClick();
  std::function<void()> onRightClick;
  std::function<void()> onDoubleClick;

 private:
  int IndexOfLocked(RowId id) const;

  const std::vector<Column> columns_;
  std::vector<Row> rows_;
  RowId nextId_ = 1;
  std::uint64_t revision_ = 0;
  RowId selected_ = 0;
  int visibleRequest_ = -1;
};
