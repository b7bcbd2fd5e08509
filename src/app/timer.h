#pragma once

#include <atomic>
#include <functional>

// A window timer: while its period is above 0 the view raises `Tick` every
// period; a period of 0 stops it. Any thread may set the period.
class Timer {
 public:
  explicit Timer(int periodMs) : period_(periodMs) {}

  int period() const { return period_.load(); }
  void SetPeriod(int periodMs);

  // Raised by the view (or a test) on the window thread.
  void Tick();

  std::function<void()> onTick;
  // Told when the period changes, on the changing thread; must not block.
  void SetPeriodObserver(std::function<void()> observer) { observer_ = std::move(observer); }

 private:
  std::atomic<int> period_;
  std::function<void()> observer_;
};
