#include "app/status_bar.h"

int StatusBar::PanelWidth(int panel) const {
  std::lock_guard lock(mutex_);
  if (panel < 0 || panel >= static_cast<int>(panels_.size())) return 0;
  return panels_[panel].width;
}

Text StatusBar::PanelText(int panel) const {
  std::lock_guard lock(mutex_);
  if (panel < 0 || panel >= static_cast<int>(panels_.size())) return {};
  return panels_[panel].text;
}

void StatusBar::SetPanelText(int panel, const Text& text) {
  {
    std::lock_guard lock(mutex_);
    if (panel < 0 || panel >= static_cast<int>(panels_.size())) return;
    panels_[panel].text = text;
  }
  Changed();
}
