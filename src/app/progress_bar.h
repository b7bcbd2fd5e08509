#pragma once

#include "app/control.h"

class ProgressBar : public Control {
 public:
  ProgressBar(Text name, Rect place) : Control(Kind::ProgressBar, std::move(name), Text(), place) {}
  int position() const;
  // Any value is kept as given; the view shows it within 0..100.
  void SetPosition(int position);

 private:
  int position_ = 0;
};
