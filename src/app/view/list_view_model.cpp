#include "app/view/list_view_model.h"

#include <algorithm>

#include "app/view/qt_text.h"

ListViewModel::ListViewModel(const ListView& list, QObject* parent)
    : QAbstractTableModel(parent), list_(list) {
  for (const ListView::Column& column : list_.columns())
    headers_.push_back(ToQString(column.header));
  Sync();
}

ListViewModel::CachedRow ListViewModel::Convert(const ListView::Row& row) {
  CachedRow cached{row.id, row.revision, {}};
  cached.cells.reserve(row.cells.size());
  for (const Text& cell : row.cells) cached.cells.push_back(ToQString(cell));
  return cached;
}

void ListViewModel::Sync() {
  // The revision is read before the snapshot: a change that slips in between
  // is in the snapshot already and only causes one more, empty, sync.
  const std::uint64_t revision = list_.revision();
  if (revision == syncedRevision_) return;
  const std::vector<ListView::Row> fresh = list_.Snapshot();
  syncedRevision_ = revision;

  // Rows keep their order and identities ascend along the list, so both
  // sequences are sorted by id and one merge walk finds what went and what
  // came.
  //
  // Removals first, as runs, from the bottom up so indexes stay valid.
  std::vector<std::pair<int, int>> removed;  // first, last
  {
    size_t j = 0;
    for (size_t i = 0; i < rows_.size(); ++i) {
      while (j < fresh.size() && fresh[j].id < rows_[i].id) ++j;
      if (j < fresh.size() && fresh[j].id == rows_[i].id) continue;
      const int index = static_cast<int>(i);
      if (!removed.empty() && removed.back().second == index - 1)
        removed.back().second = index;
      else
        removed.push_back({index, index});
    }
  }
  for (auto run = removed.rbegin(); run != removed.rend(); ++run) {
    beginRemoveRows(QModelIndex(), run->first, run->second);
    rows_.erase(rows_.begin() + run->first, rows_.begin() + run->second + 1);
    endRemoveRows();
  }

  // What is left is a subsequence of the fresh rows: insert the runs that
  // are missing, top down.
  size_t i = 0;
  for (size_t j = 0; j < fresh.size();) {
    if (i < rows_.size() && rows_[i].id == fresh[j].id) {
      ++i;
      ++j;
      continue;
    }
    size_t end = j;
    while (end < fresh.size() && (i >= rows_.size() || fresh[end].id != rows_[i].id)) ++end;
    std::vector<CachedRow> run;
    run.reserve(end - j);
    for (size_t k = j; k < end; ++k) run.push_back(Convert(fresh[k]));
    const int first = static_cast<int>(i);
    beginInsertRows(QModelIndex(), first, first + static_cast<int>(run.size()) - 1);
    rows_.insert(rows_.begin() + first, std::make_move_iterator(run.begin()),
                 std::make_move_iterator(run.end()));
    endInsertRows();
    i += end - j;
    j = end;
  }

  // Changed cells: one notice spanning the changed rows; the view repaints
  // only what of it is on screen.
  int firstChanged = -1;
  int lastChanged = -1;
  for (size_t k = 0; k < fresh.size(); ++k) {
    if (rows_[k].revision == fresh[k].revision) continue;
    rows_[k] = Convert(fresh[k]);
    if (firstChanged < 0) firstChanged = static_cast<int>(k);
    lastChanged = static_cast<int>(k);
  }
  if (firstChanged >= 0)
    emit dataChanged(index(firstChanged, 0), index(lastChanged, columnCount() - 1),
                     {Qt::DisplayRole});
}

ListView::RowId ListViewModel::IdAt(int row) const {
  if (row < 0 || row >= static_cast<int>(rows_.size())) return 0;
  return rows_[row].id;
}

int ListViewModel::RowOf(ListView::RowId id) const {
  auto it =
      std::lower_bound(rows_.begin(), rows_.end(), id,
                       [](const CachedRow& row, ListView::RowId value) { return row.id < value; });
  if (it == rows_.end() || it->id != id) return -1;
  return static_cast<int>(it - rows_.begin());
}

int ListViewModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int ListViewModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(headers_.size());
}

QVariant ListViewModel::data(const QModelIndex& index, int role) const {
  if (role != Qt::DisplayRole || !index.isValid()) return {};
  const int row = index.row();
  const int column = index.column();
  if (row < 0 || row >= static_cast<int>(rows_.size())) return {};
  if (column < 0 || column >= static_cast<int>(rows_[row].cells.size())) return {};
  return rows_[row].cells[column];
}

QVariant ListViewModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || section < 0 || section >= static_cast<int>(headers_.size()))
    return {};
  if (role == Qt::DisplayRole) return headers_[section];
  if (role == Qt::TextAlignmentRole) return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
  return {};
}
