#pragma once

#include <vector>

#include "app/control.h"

// A status bar with panels of fixed width, each showing a text.
class StatusBar : public Control {
 public:
  struct Panel {
    int width = 0;
    Text text;
  };
  StatusBar(Text name, Rect place, std::vector<Panel> panels)
      : Control(Kind::StatusBar, std::move(name), Text(), place), panels_(std::move(panels)) {}

  int PanelCount() const { return static_cast<int>(panels_.size()); }
  int PanelWidth(int panel) const;
  Text PanelText(int panel) const;
  // Out of range: nothing.
  void SetPanelText(int panel, const Text& text);

 private:
  std::vector<Panel> panels_;
};
