#pragma once

#include <QAbstractTableModel>
#include <QString>

#include <cstdint>
#include <vector>

#include "app/list_view.h"

// The rows of a ListView as a Qt table model, for the report-style view.
// It keeps the rows as of the last Sync and brings itself up to date by
// diffing a fresh snapshot against them by row identity: removed and
// appended rows become row removals and insertions, changed rows (by their
// revision) are converted again and reported as changed; untouched rows cost
// no conversion. GUI thread only; the list must outlive the model.
class ListViewModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  explicit ListViewModel(const ListView& list, QObject* parent = nullptr);

  // Brings the model up to the list's current content. Cheap when the list's
  // revision did not move.
  void Sync();

  // Identity of the row shown at `row` (0 when out of range), and the model
  // row that shows an identity (-1 when none).
  ListView::RowId IdAt(int row) const;
  int RowOf(ListView::RowId id) const;

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;

 private:
  struct CachedRow {
    ListView::RowId id = 0;
    std::uint64_t revision = 0;
    std::vector<QString> cells;
  };
  static CachedRow Convert(const ListView::Row& row);

  const ListView& list_;
  std::vector<QString> headers_;
  std::vector<CachedRow> rows_;
  std::uint64_t syncedRevision_ = ~std::uint64_t{0};
};
