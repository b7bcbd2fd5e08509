#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>

// An event that threads wait on, with automatic or manual reset.
//
// Automatic reset: a signal releases exactly one waiter (the event then is
// non-signalled again); with no waiter it stays signalled until one comes.
// Signals given while the event is signalled do not add up.
// Manual reset: a signal releases every waiter, present and future, until the
// event is reset.
//
// An event can be closed, which stands for the handle being released: a
// closed event refuses signals, and every wait on it, present or future,
// ends at once with kFailed. Reopen() makes it usable again. The object
// itself lives as long as its owner, so a thread that still waits on a closed
// event never touches released memory.
//
// Every member may be called from any thread.
class Event {
 public:
  enum class Mode { kAutoReset, kManualReset };
  enum class WaitResult {
    kSignalled,  // the event was signalled (an automatic one is reset again)
    kTimedOut,   // the time-out ran out first
    kFailed,     // the event is closed
  };

  // An open event in the given initial state.
  explicit Event(Mode mode, bool signalled = false);
  Event(const Event&) = delete;
  Event& operator=(const Event&) = delete;

  // Signals the event; false when it is closed.
  bool Set();
  // Makes the event non-signalled; false when it is closed.
  bool Reset();
  // Waits until the event is signalled, at most timeoutMs milliseconds
  // (no limit when nothing is given or the value is negative; 0 only looks).
  WaitResult Wait(std::optional<std::int64_t> timeoutMs = std::nullopt);

  // Closes the event and wakes every waiter with kFailed. True when it was
  // open.
  bool Close();
  // Opens a closed (or open) event again in the given state.
  void Reopen(bool signalled);
  bool IsOpen() const;

 private:
  const bool manual_;
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  bool signalled_;
  bool open_ = true;
};
