#include "app/control.h"

Control::Control(Kind kind, Text name, Text caption, Rect place, Control* parent, bool visible)
    : kind_(kind),
      name_(std::move(name)),
      caption_(std::move(caption)),
      place_(place),
      parent_(parent),
      visible_(visible) {}

Control* Control::parent() const {
  std::lock_guard lock(mutex_);
  return parent_;
}

void Control::SetParent(Control* parent) {
  {
    std::lock_guard lock(mutex_);
    parent_ = parent;
  }
  Changed();
}

Rect Control::place() const {
  std::lock_guard lock(mutex_);
  return place_;
}

void Control::SetPlace(Rect place) {
  {
    std::lock_guard lock(mutex_);
    place_ = place;
  }
  Changed();
}

bool Control::visible() const {
  std::lock_guard lock(mutex_);
  return visible_;
}

bool Control::enabled() const {
  std::lock_guard lock(mutex_);
  return enabled_;
}

void Control::SetEnabled(bool enabled) {
  {
    std::lock_guard lock(mutex_);
    enabled_ = enabled;
  }
  Changed();
}

Text Control::caption() const {
  std::lock_guard lock(mutex_);
  return caption_;
}

void Control::Changed() {
  if (observer_) observer_->ControlChanged(*this);
}

void Button::Click() {
  if (!enabled()) return;
  if (onClicked) onClicked();
}

void EditBox::SetText(const Text& text) {
  {
    std::lock_guard lock(mutex_);
    SetCaptionLocked(text);
  }
  Changed();
  if (onChanged) onChanged();
}
