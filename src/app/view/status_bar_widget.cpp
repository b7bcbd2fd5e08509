#include "app/view/status_bar_widget.h"

#include <QLabel>

StatusBarWidget::StatusBarWidget(const std::vector<int>& panelWidths, QWidget* parent)
    : QWidget(parent), widths_(panelWidths) {
  for (size_t i = 0; i < widths_.size(); ++i) {
    auto* label = new QLabel(this);
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    label->setIndent(2);
    panels_.push_back(label);
  }
  LayOutPanels();
}

void StatusBarWidget::setPanelText(int panel, const QString& text) {
  if (panel < 0 || panel >= panelCount()) return;
  if (panels_[panel]->text() != text) panels_[panel]->setText(text);
}

QString StatusBarWidget::panelText(int panel) const {
  if (panel < 0 || panel >= panelCount()) return {};
  return panels_[panel]->text();
}

QRect StatusBarWidget::panelGeometry(int panel) const {
  if (panel < 0 || panel >= panelCount()) return {};
  return panels_[panel]->geometry();
}

void StatusBarWidget::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  LayOutPanels();
}

void StatusBarWidget::LayOutPanels() {
  // Fixed pixel widths from the left, as the system places the progress bar
  // right after them by arithmetic on those widths.
  int left = 0;
  for (size_t i = 0; i < panels_.size(); ++i) {
    panels_[i]->setGeometry(left, 0, widths_[i], height());
    left += widths_[i];
  }
}
