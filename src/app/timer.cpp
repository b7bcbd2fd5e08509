#include "app/timer.h"

void Timer::SetPeriod(int periodMs) {
  period_.store(periodMs);
  if (observer_) observer_();
}

void Timer::Tick() {
  if (period_.load() > 0 && onTick) onTick();
}
