#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>

#include "platform/completion_port.h"
#include "platform/event.h"
#include "platform/thread.h"

// The routine of a work item. The caller passes its context through the
// arguments; the routine reports nothing back and must not throw.
using WorkRoutine = void (*)(std::intptr_t first, std::intptr_t second);

// Runs work items (a routine and two arguments) on worker threads that all
// wait on one completion port.
//
// Start makes a fixed number of core workers, which wait for items without
// limit. While more items wait than workers are free, a dispatcher thread adds
// extra workers one at a time, up to maxThreads; an extra worker leaves when
// no item reaches it for idleTimeoutMs. The pool can be paused at a gate and
// stops in one of four modes (see Stop). Posting an item costs one packet and
// allocates nothing.
//
// One pool lives as long as its owner and may be started and stopped any
// number of times. Start, Stop and destruction belong to the owner's thread;
// Post, the gate, the item-done event, the setters and the getters may be used
// from any thread, item routines included (but a routine must not Stop or
// destroy its own pool with waiting). The getters read without a lock, so a
// value may already be stale when it is returned.
//
// No thread is ever killed: a routine that never returns keeps its worker,
// and a Stop that waits for it, forever.
class WorkerPool {
 public:
  enum State : std::int32_t { Stopped = 0, Running = 1, Starting = 2, Stopping = 3 };

  // The routine address that marks a stop packet; a worker that takes one
  // leaves.
  static constexpr std::uintptr_t kStopMarker = static_cast<std::uintptr_t>(-2);

  // processPendingMessages is what the waits with pumpMessages true call
  // between their slices (the window layer's "process pending events"); when
  // it is empty they just wait in slices. The pool starts Stopped.
  explicit WorkerPool(std::function<void()> processPendingMessages = {});
  // Stops with mode 2 (queued items are dropped, running ones finish) and then
  // waits until every thread of the pool has ended.
  ~WorkerPool();
  WorkerPool(const WorkerPool&) = delete;
  WorkerPool& operator=(const WorkerPool&) = delete;

  // Only on a Stopped pool (otherwise false, and nothing changes). Settles
  // the arguments:
  // - core workers: 5 when minThreads is not given, otherwise minThreads but
  //   at least 1;
  // - maxThreads: the given value when it is at least the core count,
  //   otherwise the core count (so 0 means "never grow");
  // - idleTimeoutMs: 10000 when not given, otherwise at least 100;
  // - stackSize in bytes: 0 is the platform default; otherwise at least 8192,
  //   rounded down to a multiple of 4096.
  // Starts the dispatcher and the core workers and waits (bounded) until they
  // report. True, with the pool Running, when at least one worker runs; false,
  // with the pool Stopped, when none could be started.
  bool Start(std::optional<std::int32_t> minThreads = std::nullopt, std::int32_t maxThreads = 0,
             std::optional<std::int32_t> idleTimeoutMs = std::nullopt, bool pumpMessages = false,
             std::int32_t stackSize = 0);

  // Only on a Running pool; true at once on a Stopped one, false while it is
  // Starting or Stopping. Modes (any other value counts as 0):
  //   0  drop the queued items, wait until every worker has left;
  //   1  run every item posted before the stop, then wait likewise;
  //   2  like 0 without waiting;  3  like 1 without waiting.
  // Items already running always finish. The waiting modes wait without limit
  // when waitMs <= 0, otherwise they give up and return false after about
  // waitMs; the pool then becomes Stopped on its own when its last worker
  // leaves. True once the pool is Stopped (modes 0, 1) or the workers have
  // been told to leave (modes 2, 3).
  bool Stop(std::int32_t mode = 0, std::int32_t waitMs = 0, bool pumpMessages = false);

  // The pause gate, only on a Running pool (false otherwise). While paused,
  // a worker that takes an item holds it at the gate until Resume (or a
  // Stop, which opens the gate).
  bool Pause();
  bool Resume();
  // Waits until the gate is open, at most timeoutMs (no limit when not given
  // or negative). False when the time ran out or the pool is not Running.
  bool WaitWhilePaused(std::optional<std::int32_t> timeoutMs = std::nullopt);

  // Queues a work item, only on a Running pool. False, with nothing queued,
  // when the pool is not Running, the routine is null or the port refuses the
  // packet.
  bool Post(WorkRoutine routine, std::intptr_t first = 0, std::intptr_t second = 0);
  // The same with the routine given by its address. The address must be a
  // WorkRoutine's, or kStopMarker, which makes the worker that takes it leave
  // (such a packet stays counted in GetQueuedCount until the pool stops).
  bool PostAddress(std::uintptr_t address, std::intptr_t first = 0, std::intptr_t second = 0);

  // Only on a Running pool: waits until some item finishes (or a Stop wakes
  // every waiter), at most timeoutMs (no limit when not given or negative).
  // With pumpMessages, waits in 20 ms slices and processes pending messages
  // between them. True when the item-done event was signalled.
  bool WaitForItemDone(std::optional<std::int32_t> timeoutMs = std::nullopt,
                       bool pumpMessages = false);
  // Only on a Running pool: signals the item-done event.
  bool SignalItemDone();

  // Workers that are not running an item: GetThreadCount() - GetBusyCount().
  // Queued items are not subtracted.
  std::int32_t GetIdleCount() const;
  std::int32_t GetBusyCount() const;
  std::int32_t GetQueuedCount() const;
  std::int32_t GetThreadCount() const;
  std::int32_t GetMaxThreads() const;
  std::int32_t GetIdleTimeout() const;
  std::int32_t GetStackSize() const;
  // True when no item is queued or running.
  bool IsIdle() const;
  // One of State.
  std::int32_t GetState() const;

  // Only on a Running pool. maxThreads becomes n, at least 1, and the pool
  // grows at once if items wait.
  void SetMaxThreads(std::int32_t n);
  // Only on a Running pool; at least 100. Extra workers use it from their
  // next wait on.
  void SetIdleTimeout(std::int32_t ms);
  // Only on a Running pool, for extra workers started later: 0 stays 0, other
  // values become at least 8192, rounded down to a multiple of 8192.
  void SetStackSize(std::int32_t bytes);

 private:
  // The parameter a worker thread receives.
  static constexpr std::int32_t kCoreWorker = 0;
  static constexpr std::int32_t kExtraWorker = 1;

  void WorkerLoop(std::int32_t parameter);
  void DispatcherLoop();
  // More items running or waiting than there are workers, and room to grow.
  bool GrowthTestHolds() const;
  bool StartWorker(std::int32_t parameter);
  bool StartDispatcher();
  // Runs body on a new thread counted in threadsAlive_ until it has returned.
  bool StartCountedThread(Thread& thread, std::function<void()> body, std::size_t stackBytes);
  void WaitForThreadsToEnd();
  // The last worker's clean-up (or, when the last one could not be made, its
  // maker's): closes the port and the events, zeroes the
  // counters, and last of all sets the state to Stopped.
  void ReleaseObjects();
  void CloseObjects();
  void ProcessPendingMessages(bool pumpMessages);

  const std::function<void()> processPendingMessages_;

  std::atomic<std::int32_t> state_{Stopped};
  CompletionPort port_;
  // Plain flags and settings: relaxed atomics, every decision on them tolerates
  // a stale value.
  std::atomic<std::int32_t> acceptingWork_{0};
  Event dispatchEvent_{Event::Mode::kAutoReset};
  Event threadEvent_{Event::Mode::kAutoReset};
  Event itemDoneEvent_{Event::Mode::kAutoReset};
  Event gateEvent_{Event::Mode::kManualReset, true};
  std::atomic<std::int32_t> threadCount_{0};
  std::atomic<std::int32_t> busyCount_{0};
  std::atomic<std::int32_t> queuedCount_{0};
  // Used by the owner's thread only (Start, Stop, destruction).
  Thread dispatcherThread_;
  std::atomic<std::int32_t> maxThreads_{0};
  std::atomic<std::int32_t> idleTimeoutMs_{0};
  std::atomic<std::int32_t> stackSize_{0};

  // Workers from the moment they are made until they leave; never below
  // threadCount_, which counts them only once they run. The worker that takes
  // it to 0 is the last one and cleans up, so a worker that was made but had
  // not yet run when the others left cannot start on a released pool.
  std::atomic<std::int32_t> liveWorkers_{0};
  // Every thread of the pool, counted until its body has returned, so that no
  // run overlaps the previous one and destruction outwaits them all.
  std::mutex threadsMutex_;
  std::condition_variable threadsEnded_;
  std::int32_t threadsAlive_ = 0;
};
