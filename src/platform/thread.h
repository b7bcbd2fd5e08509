#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

// A handle on a thread of our own. The thread runs detached: dropping the
// handle (Close() or destruction) never waits for it and never stops it, and
// nothing ever ends a thread but the return of its body.
//
// A Thread object is used by one thread at a time; the thread it started may
// be waited for through it.
class Thread {
 public:
  // Stacks are never smaller than this, whatever a caller asks for: glibc
  // refuses sizes below its minimum, and instrumented builds need room.
  static constexpr std::size_t kMinimumStackBytes = 64 * 1024;

  Thread();
  ~Thread();
  Thread(Thread&&) noexcept;
  Thread& operator=(Thread&&) noexcept;

  // Starts body on a new thread with a stack of stackBytes (0: the platform's
  // default; below kMinimumStackBytes: that minimum). A handle that already
  // holds a thread lets go of it first. False, with nothing started, when the
  // thread could not be made.
  bool Start(std::function<void()> body, std::size_t stackBytes = 0);
  // Waits until the body has returned, at most timeoutMs milliseconds (no
  // limit when nothing is given). True when it has returned; also true when
  // the handle holds no thread.
  bool Wait(std::optional<std::int64_t> timeoutMs = std::nullopt);
  // Lets go of the thread, which runs on.
  void Close();
  bool IsOpen() const { return control_ != nullptr; }

 private:
  struct Control;
  static void* Run(void* argument);

  std::shared_ptr<Control> control_;
};
