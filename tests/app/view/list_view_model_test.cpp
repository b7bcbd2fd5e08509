#include "app/view/list_view_model.h"

#include <gtest/gtest.h>

#include <QPersistentModelIndex>
#include <QSignalSpy>

#include "app/view/qt_text.h"

namespace {

ListView MakeList() { return ListView("list", {0, 0, 100, 100}, {{"a", 10}, {"b", 10}}); }

void Fill(ListView& list, int rows) {
  for (int i = 0; i < rows; ++i) {
    const int row = list.AppendRow();
    list.SetCell(row, 0, "行" + DecimalText(i));
  }
}

// The model shows exactly what the list holds, row for row.
void ExpectMirrors(const ListViewModel& model, const ListView& list) {
  const std::vector<ListView::Row> rows = list.Snapshot();
  ASSERT_EQ(model.rowCount(), static_cast<int>(rows.size()));
  for (int row = 0; row < model.rowCount(); ++row) {
    EXPECT_EQ(model.IdAt(row), rows[row].id);
    for (int column = 0; column < 2; ++column)
      EXPECT_EQ(model.data(model.index(row, column)).toString(), ToQString(rows[row].cells[column]))
          << row << "," << column;
  }
}

TEST(ListViewModelTest, FollowsEveryKindOfChange) {
  ListView list = MakeList();
  ListViewModel model(list);
  EXPECT_EQ(model.headerData(1, Qt::Horizontal).toString(), QStringLiteral("b"));

  struct Step {
    const char* what;
    void (*change)(ListView&);
  };
  const Step steps[] = {
      {"append", [](ListView& l) { Fill(l, 6); }},
      {"remove middle", [](ListView& l) { l.RemoveRow(2); }},
      {"remove first and last, append two",
       [](ListView& l) {
         l.RemoveRow(0);
         l.RemoveRow(l.RowCount() - 1);
         Fill(l, 2);
       }},
      {"remove every other row",
       [](ListView& l) {
         for (int row = l.RowCount() - 1; row >= 0; row -= 2) l.RemoveRow(row);
       }},
      {"write cells",
       [](ListView& l) {
         l.SetCell(0, 1, "下载成功");
         l.SetCell(l.RowCount() - 1, 0, "x");
       }},
      {"remove all, append",
       [](ListView& l) {
         l.RemoveAllRows();
         Fill(l, 3);
       }},
      {"remove all", [](ListView& l) { l.RemoveAllRows(); }},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.what);
    step.change(list);
    model.Sync();
    ExpectMirrors(model, list);
  }
}

TEST(ListViewModelTest, RowsThatStayAreNeitherRebuiltNorReported) {
  ListView list = MakeList();
  Fill(list, 10);
  ListViewModel model(list);
  QPersistentModelIndex kept(model.index(7, 0));
  QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
  QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);
  QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
  QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);

  list.RemoveRow(1);
  list.RemoveRow(1);
  list.SetCell(3, 1, "done");
  Fill(list, 1);
  model.Sync();

  EXPECT_EQ(resets.count(), 0);
  ASSERT_EQ(removed.count(), 1);  // rows 1 and 2 as one run
  EXPECT_EQ(removed[0][1].toInt(), 1);
  EXPECT_EQ(removed[0][2].toInt(), 2);
  ASSERT_EQ(inserted.count(), 1);
  EXPECT_EQ(inserted[0][1].toInt(), 8);
  ASSERT_EQ(changed.count(), 1);
  EXPECT_EQ(changed[0][0].toModelIndex().row(), 3);
  EXPECT_EQ(changed[0][1].toModelIndex().row(), 3);
  // A selection or scroll position held on a row survives changes elsewhere.
  EXPECT_TRUE(kept.isValid());
  EXPECT_EQ(kept.row(), 5);

  // Nothing new: nothing reported.
  model.Sync();
  EXPECT_EQ(removed.count() + inserted.count() + changed.count(), 3);
  ExpectMirrors(model, list);
}

}  // namespace
