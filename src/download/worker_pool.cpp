#include "download/worker_pool.h"

#include <algorithm>
#include <thread>
#include <utility>

#include "platform/now_milliseconds.h"

namespace {

constexpr std::int32_t kDefaultCoreCount = 5;
constexpr std::int32_t kDefaultIdleTimeoutMs = 10000;
constexpr std::int32_t kMinimumIdleTimeoutMs = 100;
constexpr std::int32_t kStackGranule = 8192;
constexpr std::size_t kDispatcherStackBytes = 8192;
// Consecutive thread-creation failures after which a loop gives up.
constexpr std::int32_t kCreationAttempts = 5;
// Slice of the waits that poll (for the dispatcher's end, or to process
// pending messages between slices).
constexpr std::int64_t kSliceMs = 20;

constexpr std::memory_order kRelaxed = std::memory_order_relaxed;

// How long to wait for n new threads to report: 2 ms each plus a second.
std::int64_t ReportLimitMs(std::int32_t n) { return 2 * static_cast<std::int64_t>(n) + 1000; }

// A wait of "timeoutMs" milliseconds, where nothing or a negative value
// means no limit.
std::optional<std::int64_t> WaitLimit(std::optional<std::int32_t> timeoutMs) {
  if (!timeoutMs || *timeoutMs < 0) return std::nullopt;
  return *timeoutMs;
}

}  // namespace

WorkerPool::WorkerPool(std::function<void()> processPendingMessages)
    : processPendingMessages_(std::move(processPendingMessages)) {
  // A stopped pool has no port and no events; Start opens them.
  CloseObjects();
}

WorkerPool::~WorkerPool() {
  Stop(2);
  // Mode 2 does not wait, and a pool may also be stopping from an earlier Stop
  // that gave up waiting: the threads may still be running items or leaving.
  // None of them may outlive the storage they use.
  WaitForThreadsToEnd();
}

bool WorkerPool::Start(std::optional<std::int32_t> minThreads, std::int32_t maxThreads,
                       std::optional<std::int32_t> idleTimeoutMs, bool pumpMessages,
                       std::int32_t stackSize) {
  if (state_.load() != Stopped) return false;
  // A pool that became Stopped may still have threads on their way out (the
  // last worker after setting the state, or a dispatcher whose pool stopped
  // without Stop). A new run must not overlap them: such a dispatcher would
  // otherwise see the new run as its own.
  WaitForThreadsToEnd();
  std::int32_t expected = Stopped;
  if (!state_.compare_exchange_strong(expected, Starting)) return false;

  const std::int32_t coreCount = minThreads ? std::max(*minThreads, 1) : kDefaultCoreCount;
  maxThreads_.store(maxThreads >= coreCount ? maxThreads : coreCount, kRelaxed);
  idleTimeoutMs_.store(
      idleTimeoutMs ? std::max(*idleTimeoutMs, kMinimumIdleTimeoutMs) : kDefaultIdleTimeoutMs,
      kRelaxed);
  std::int32_t settledStack = 0;
  if (stackSize != 0) settledStack = stackSize < 8192 ? 8192 : stackSize - stackSize % 4096;
  stackSize_.store(settledStack, kRelaxed);

  port_.Reopen();
  dispatchEvent_.Reopen(false);
  threadEvent_.Reopen(false);
  itemDoneEvent_.Reopen(false);
  gateEvent_.Reopen(true);
  if (!StartDispatcher()) {
    CloseObjects();
    state_.store(Stopped);
    return false;
  }
  acceptingWork_.store(1, kRelaxed);
  threadCount_.store(0);
  busyCount_.store(0);
  queuedCount_.store(0);

  std::int32_t created = 0;
  std::int32_t failures = 0;
  for (std::int32_t i = 1; i <= coreCount; ++i) {
    if (StartWorker(kCoreWorker)) {
      ++created;
      failures = 0;
    } else if (++failures == kCreationAttempts) {
      break;
    }
    ProcessPendingMessages(pumpMessages);
  }

  if (created > 0) {
    // Signals of an automatic event do not add up, so the count decides
    // whether everyone has reported; the event only wakes us to look.
    const std::int64_t limit = ReportLimitMs(created);
    Event::WaitResult result = threadEvent_.Wait(limit);
    while (result == Event::WaitResult::kSignalled && threadCount_.load() < created) {
      ProcessPendingMessages(pumpMessages);
      result = threadEvent_.Wait(limit);
    }
  }

  if (threadCount_.load() == 0) {
    // Wake the dispatcher, which finds the pool not Running and ends. We watch
    // its thread rather than its event: waiting on the event could swallow the
    // very signal meant for it.
    dispatchEvent_.Set();
    for (int i = 0; i < 11; ++i) {
      ProcessPendingMessages(pumpMessages);
      if (dispatcherThread_.Wait(kSliceMs)) break;
    }
    dispatcherThread_.Close();
    // Closing wakes whatever still waits; threads that started too late find
    // everything closed, leave, and are outwaited by the next Start.
    CloseObjects();
    acceptingWork_.store(0, kRelaxed);
    state_.store(Stopped);
    return false;
  }
  state_.exchange(Running);
  return true;
}

void WorkerPool::WorkerLoop(std::int32_t parameter) {
  threadCount_.fetch_add(1);
  if (state_.load() != Stopping) threadEvent_.Set();

  const bool extra = parameter == kExtraWorker;
  std::optional<std::int64_t> limit;
  if (extra) limit = idleTimeoutMs_.load(kRelaxed);
  for (;;) {
    const std::optional<CompletionPacket> packet = port_.Dequeue(limit);
    // A paused pool holds the worker here together with what it took.
    gateEvent_.Wait();
    if (acceptingWork_.load(kRelaxed) != 1 || !packet || packet->address == kStopMarker) break;
    // Busy rises before queued falls, so busy + queued never under-counts
    // the items still to finish while one changes hands.
    busyCount_.fetch_add(1);
    queuedCount_.fetch_sub(1);
    reinterpret_cast<WorkRoutine>(packet->address)(packet->first, packet->second);
    busyCount_.fetch_sub(1);
    itemDoneEvent_.Set();
    if (extra) limit = idleTimeoutMs_.load(kRelaxed);
  }

  threadCount_.fetch_sub(1);
  if (liveWorkers_.fetch_sub(1) != 1) return;
  ReleaseObjects();
}

void WorkerPool::DispatcherLoop() {
  dispatchEvent_.Wait();
  std::int32_t failures = 0;
  while (state_.load() == Running) {
    if (GrowthTestHolds()) {
      if (StartWorker(kExtraWorker)) {
        failures = 0;
        // One extra worker at a time: the next growth test comes after this
        // one has reported (or could not within the limit).
        threadEvent_.Wait(ReportLimitMs(threadCount_.load()));
      } else if (++failures == kCreationAttempts) {
        // Stop trying until maxThreads is raised again.
        maxThreads_.store(threadCount_.load(), kRelaxed);
        failures = 0;
      }
    } else {
      dispatchEvent_.Wait();
    }
    gateEvent_.Wait();
  }
}

bool WorkerPool::Stop(std::int32_t mode, std::int32_t waitMs, bool pumpMessages) {
  std::int32_t expected = Running;
  if (!state_.compare_exchange_strong(expected, Stopping)) return expected == Stopped;

  if (mode < 0 || mode > 3) mode = 0;
  if (mode == 0 || mode == 2) acceptingWork_.store(0, kRelaxed);
  // Wake every waiter and open the gate.
  itemDoneEvent_.Set();
  threadEvent_.Set();
  dispatchEvent_.Set();
  gateEvent_.Set();

  // The dispatcher must be gone before the stop packets are counted: a
  // dispatcher still running could add a worker that no packet reaches, which
  // would keep the pool from ever stopping. Once woken it ends within its
  // longest bounded wait.
  while (!dispatcherThread_.Wait(kSliceMs)) ProcessPendingMessages(pumpMessages);
  dispatcherThread_.Close();

  while (threadEvent_.Wait(0) == Event::WaitResult::kSignalled) {
  }

  // One packet per worker and one more. Workers that were made but have not
  // run yet count too (normally there are none): each one needs its packet.
  const std::int32_t workers = liveWorkers_.load();
  const CompletionPacket stopPacket{kStopMarker, -1, -1};
  port_.Post(stopPacket);
  for (std::int32_t i = 1; i <= workers; ++i) {
    port_.Post(stopPacket);
    if (i % 100 == 0) ProcessPendingMessages(pumpMessages);
  }
  if (mode == 2 || mode == 3) return true;

  // The state tells when the last worker has gone; its event may already be
  // closed, and a wait on a closed event returns at once.
  const std::int64_t begin = NowMilliseconds();
  while (state_.load() == Stopping) {
    if (pumpMessages) {
      threadEvent_.Wait(kSliceMs);
      ProcessPendingMessages(pumpMessages);
      if (waitMs > 0 && NowMilliseconds() - begin > waitMs) return false;
      continue;
    }
    const Event::WaitResult result =
        threadEvent_.Wait(waitMs > 0 ? std::optional<std::int64_t>(waitMs) : std::nullopt);
    if (result == Event::WaitResult::kTimedOut) return false;
    // Closed: the last worker is between closing its event and setting the
    // state.
    if (result == Event::WaitResult::kFailed) std::this_thread::yield();
  }
  return true;
}

bool WorkerPool::Pause() {
  if (state_.load() != Running) return false;
  return gateEvent_.Reset();
}

bool WorkerPool::Resume() {
  if (state_.load() != Running) return false;
  return gateEvent_.Set();
}

bool WorkerPool::WaitWhilePaused(std::optional<std::int32_t> timeoutMs) {
  if (state_.load() != Running) return false;
  return gateEvent_.Wait(WaitLimit(timeoutMs)) == Event::WaitResult::kSignalled;
}

bool WorkerPool::Post(WorkRoutine routine, std::intptr_t first, std::intptr_t second) {
  return PostAddress(reinterpret_cast<std::uintptr_t>(routine), first, second);
}

bool WorkerPool::PostAddress(std::uintptr_t address, std::intptr_t first, std::intptr_t second) {
  if (state_.load() != Running || address == 0) return false;
  queuedCount_.fetch_add(1);
  const bool posted = port_.Post(CompletionPacket{address, first, second});
  if (!posted) queuedCount_.fetch_sub(1);
  if (GrowthTestHolds()) dispatchEvent_.Set();
  return posted;
}

bool WorkerPool::WaitForItemDone(std::optional<std::int32_t> timeoutMs, bool pumpMessages) {
  if (state_.load() != Running) return false;
  if (!pumpMessages) {
    return itemDoneEvent_.Wait(WaitLimit(timeoutMs)) == Event::WaitResult::kSignalled;
  }
  const bool limited = timeoutMs && *timeoutMs != -1;
  const std::int64_t begin = NowMilliseconds();
  for (;;) {
    ProcessPendingMessages(true);
    const Event::WaitResult result = itemDoneEvent_.Wait(kSliceMs);
    if (result == Event::WaitResult::kSignalled) return true;
    if (result == Event::WaitResult::kFailed) return false;
    if (limited && NowMilliseconds() - begin > *timeoutMs) return false;
  }
}

bool WorkerPool::SignalItemDone() {
  if (state_.load() != Running) return false;
  return itemDoneEvent_.Set();
}

std::int32_t WorkerPool::GetIdleCount() const {
  return threadCount_.load(kRelaxed) - busyCount_.load(kRelaxed);
}
std::int32_t WorkerPool::GetBusyCount() const { return busyCount_.load(kRelaxed); }
std::int32_t WorkerPool::GetQueuedCount() const { return queuedCount_.load(kRelaxed); }
std::int32_t WorkerPool::GetThreadCount() const { return threadCount_.load(kRelaxed); }
std::int32_t WorkerPool::GetMaxThreads() const { return maxThreads_.load(kRelaxed); }
std::int32_t WorkerPool::GetIdleTimeout() const { return idleTimeoutMs_.load(kRelaxed); }
std::int32_t WorkerPool::GetStackSize() const { return stackSize_.load(kRelaxed); }
bool WorkerPool::IsIdle() const {
  return queuedCount_.load(kRelaxed) == 0 && busyCount_.load(kRelaxed) == 0;
}
std::int32_t WorkerPool::GetState() const { return state_.load(); }

void WorkerPool::SetMaxThreads(std::int32_t n) {
  if (state_.load() != Running) return;
  maxThreads_.store(std::max(n, 1), kRelaxed);
  if (GrowthTestHolds()) dispatchEvent_.Set();
}

void WorkerPool::SetIdleTimeout(std::int32_t ms) {
  if (state_.load() != Running) return;
  idleTimeoutMs_.store(std::max(ms, kMinimumIdleTimeoutMs), kRelaxed);
}

void WorkerPool::SetStackSize(std::int32_t bytes) {
  if (state_.load() != Running) return;
  std::int32_t settled = 0;
  if (bytes != 0) settled = bytes < kStackGranule ? kStackGranule : bytes - bytes % kStackGranule;
  stackSize_.store(settled, kRelaxed);
}

bool WorkerPool::GrowthTestHolds() const {
  const std::int64_t threads = threadCount_.load(kRelaxed);
  return threads < maxThreads_.load(kRelaxed) &&
         static_cast<std::int64_t>(busyCount_.load(kRelaxed)) + queuedCount_.load(kRelaxed) >
             threads;
}

bool WorkerPool::StartWorker(std::int32_t parameter) {
  // Counted before it exists, so that the others cannot all leave and
  // release the pool while it is on its way.
  liveWorkers_.fetch_add(1);
  Thread thread;
  const bool started = StartCountedThread(
      thread, [this, parameter] { WorkerLoop(parameter); },
      static_cast<std::size_t>(stackSize_.load(kRelaxed)));
  // The handle goes here; a started worker runs on by itself. If this one
  // failed after every other worker left, nobody else will clean up; during
  // Start, Start does.
  if (!started && liveWorkers_.fetch_sub(1) == 1 && state_.load() != Starting) ReleaseObjects();
  return started;
}

bool WorkerPool::StartDispatcher() {
  return StartCountedThread(
      dispatcherThread_, [this] { DispatcherLoop(); }, kDispatcherStackBytes);
}

bool WorkerPool::StartCountedThread(Thread& thread, std::function<void()> body,
                                    std::size_t stackBytes) {
  {
    std::lock_guard lock(threadsMutex_);
    ++threadsAlive_;
  }
  const bool started = thread.Start(
      [this, body = std::move(body)] {
        body();
        // The last touch of the pool: notifying under the lock means a waiter
        // cannot see zero, and let the pool go, before we are done with it.
        std::lock_guard lock(threadsMutex_);
        if (--threadsAlive_ == 0) threadsEnded_.notify_all();
      },
      stackBytes);
  if (!started) {
    std::lock_guard lock(threadsMutex_);
    if (--threadsAlive_ == 0) threadsEnded_.notify_all();
  }
  return started;
}

void WorkerPool::WaitForThreadsToEnd() {
  std::unique_lock lock(threadsMutex_);
  threadsEnded_.wait(lock, [this] { return threadsAlive_ == 0; });
}

void WorkerPool::ReleaseObjects() {
  CloseObjects();
  acceptingWork_.store(0, kRelaxed);
  threadCount_.store(0);
  busyCount_.store(0);
  queuedCount_.store(0);
  state_.exchange(Stopped);
}

void WorkerPool::CloseObjects() {
  port_.Close();
  itemDoneEvent_.Close();
  gateEvent_.Close();
  dispatchEvent_.Close();
  // A Stop may be waiting on this one: signal before closing.
  if (threadEvent_.IsOpen()) {
    threadEvent_.Set();
    threadEvent_.Close();
  }
}

void WorkerPool::ProcessPendingMessages(bool pumpMessages) {
  if (pumpMessages && processPendingMessages_) processPendingMessages_();
}
