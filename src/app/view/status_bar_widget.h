#pragma once

#include <QWidget>

#include <vector>

class QLabel;

// A status bar: sunken panels of fixed widths side by side from its left
// edge, each showing one text. Whatever else is placed in it (the progress
// bar) is a plain child at its own place. GUI thread only.
class StatusBarWidget : public QWidget {
  Q_OBJECT

 public:
  StatusBarWidget(const std::vector<int>& panelWidths, QWidget* parent = nullptr);

  int panelCount() const { return static_cast<int>(panels_.size()); }
  // Out of range: nothing / empty.
  void setPanelText(int panel, const QString& text);
  QString panelText(int panel) const;
  // Geometry of a panel inside the bar (empty rectangle when out of range).
  QRect panelGeometry(int panel) const;

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void LayOutPanels();

  std::vector<int> widths_;
  std::vector<QLabel*> panels_;
};
