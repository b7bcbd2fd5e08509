#include "app/progress_bar.h"

int ProgressBar::position() const {
  std::lock_guard lock(mutex_);
  return position_;
}

void ProgressBar::SetPosition(int position) {
  {
    std::lock_guard lock(mutex_);
    position_ = position;
  }
  Changed();
}
