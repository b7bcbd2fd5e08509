#include "platform/event.h"

#include <chrono>

Event::Event(Mode mode, bool signalled)
    : manual_(mode == Mode::kManualReset), signalled_(signalled) {}

bool Event::Set() {
  // Notify with the lock held: a woken waiter may destroy the event as soon
  // as it returns, and it cannot return before we let go of the lock.
  std::lock_guard lock(mutex_);
  if (!open_) return false;
  signalled_ = true;
  // One waiter is enough for an automatic event: it consumes the signal.
  if (manual_) {
    changed_.notify_all();
  } else {
    changed_.notify_one();
  }
  return true;
}

bool Event::Reset() {
  std::lock_guard lock(mutex_);
  if (!open_) return false;
  signalled_ = false;
  return true;
}

Event::WaitResult Event::Wait(std::optional<std::int64_t> timeoutMs) {
  std::unique_lock lock(mutex_);
  const auto ready = [this] { return signalled_ || !open_; };
  if (!timeoutMs || *timeoutMs < 0) {
    changed_.wait(lock, ready);
  } else if (!changed_.wait_for(lock, std::chrono::milliseconds(*timeoutMs), ready)) {
    return WaitResult::kTimedOut;
  }
  if (!open_) return WaitResult::kFailed;
  if (!manual_) signalled_ = false;
  return WaitResult::kSignalled;
}

bool Event::Close() {
  std::lock_guard lock(mutex_);
  const bool wasOpen = open_;
  open_ = false;
  signalled_ = false;
  changed_.notify_all();
  return wasOpen;
}

void Event::Reopen(bool signalled) {
  std::lock_guard lock(mutex_);
  open_ = true;
  signalled_ = signalled;
}

bool Event::IsOpen() const {
  std::lock_guard lock(mutex_);
  return open_;
}
