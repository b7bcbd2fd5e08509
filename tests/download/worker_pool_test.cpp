#include "download/worker_pool.h"

#include <gtest/gtest.h>
#include <pthread.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>
#include <vector>

#include "platform/event.h"

namespace {

constexpr std::int64_t kGenerousMs = 10000;

// Waits for a condition that another thread brings about, looking every
// millisecond, at most kGenerousMs. True when it came.
template <typename Condition>
bool WaitUntil(Condition condition) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kGenerousMs);
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

void ExpectStoppedAndEmpty(const WorkerPool& pool) {
  EXPECT_EQ(pool.GetState(), WorkerPool::Stopped);
  EXPECT_EQ(pool.GetThreadCount(), 0);
  EXPECT_EQ(pool.GetBusyCount(), 0);
  EXPECT_EQ(pool.GetQueuedCount(), 0);
  EXPECT_TRUE(pool.IsIdle());
}

// How often each item ran; an item is (tally address, index).
struct Tally {
  explicit Tally(std::size_t n) : runs(n) {}
  std::vector<std::atomic<int>> runs;
  int Total() const {
    int total = 0;
    for (const auto& r : runs) total += r.load();
    return total;
  }
  // Items that did not run exactly once.
  int NotOnce() const {
    int wrong = 0;
    for (const auto& r : runs) wrong += r.load() != 1;
    return wrong;
  }
};

void CountRun(std::intptr_t tally, std::intptr_t index) {
  ++reinterpret_cast<Tally*>(tally)->runs[static_cast<std::size_t>(index)];
}

bool PostCounted(WorkerPool& pool, Tally& tally, std::size_t index) {
  return pool.Post(&CountRun, reinterpret_cast<std::intptr_t>(&tally),
                   static_cast<std::intptr_t>(index));
}

// An item that holds its worker until released, then looks at its pool.
struct Holder {
  WorkerPool* pool = nullptr;
  Event release{Event::Mode::kManualReset};
  std::atomic<int> started{0};
  std::atomic<int> finished{0};
  std::atomic<int> threadsSeenAfterRelease{-1};
};

void Hold(std::intptr_t holder, std::intptr_t) {
  auto* h = reinterpret_cast<Holder*>(holder);
  ++h->started;
  h->release.Wait();
  if (h->pool) h->threadsSeenAfterRelease = h->pool->GetThreadCount();
  ++h->finished;
}

bool PostHold(WorkerPool& pool, Holder& holder) {
  return pool.Post(&Hold, reinterpret_cast<std::intptr_t>(&holder));
}

// An item that records the stack size of the thread that runs it.
void RecordStackSize(std::intptr_t out, std::intptr_t) {
  pthread_attr_t attributes;
  std::size_t size = 0;
  if (pthread_getattr_np(pthread_self(), &attributes) == 0) {
    pthread_attr_getstacksize(&attributes, &size);
    pthread_attr_destroy(&attributes);
  }
  reinterpret_cast<std::atomic<std::size_t>*>(out)->store(size);
}

TEST(WorkerPoolStartTest, SettlesItsArguments) {
  struct Case {
    std::optional<std::int32_t> minThreads;
    std::int32_t maxThreads;
    std::optional<std::int32_t> idleTimeoutMs;
    std::int32_t stackSize;
    std::int32_t threads, settledMax, settledIdle, settledStack;
  };
  const Case cases[] = {
      {std::nullopt, 0, std::nullopt, 0, 5, 5, 10000, 0},
      {3, 1, std::nullopt, 0, 3, 3, 10000, 0},
      {0, 0, std::nullopt, 0, 1, 1, 10000, 0},
      {-4, 0, std::nullopt, 0, 1, 1, 10000, 0},
      {2, 6, std::nullopt, 0, 2, 6, 10000, 0},
      {1, 0, 50, 0, 1, 1, 100, 0},
      {1, 0, 100, 0, 1, 1, 100, 0},
      {1, 0, 250, 0, 1, 1, 250, 0},
      {1, 0, -1, 0, 1, 1, 100, 0},
      {1, 0, std::nullopt, 5000, 1, 1, 10000, 8192},
      {1, 0, std::nullopt, -5, 1, 1, 10000, 8192},
      {1, 0, std::nullopt, 8192, 1, 1, 10000, 8192},
      {1, 0, std::nullopt, 13000, 1, 1, 10000, 12288},
  };
  WorkerPool pool;
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message()
                 << "min " << c.minThreads.value_or(-999) << " max " << c.maxThreads << " idle "
                 << c.idleTimeoutMs.value_or(-999) << " stack " << c.stackSize);
    ASSERT_TRUE(pool.Start(c.minThreads, c.maxThreads, c.idleTimeoutMs, false, c.stackSize));
    EXPECT_EQ(pool.GetState(), WorkerPool::Running);
    EXPECT_EQ(pool.GetThreadCount(), c.threads);
    EXPECT_EQ(pool.GetIdleCount(), c.threads);
    EXPECT_EQ(pool.GetMaxThreads(), c.settledMax);
    EXPECT_EQ(pool.GetIdleTimeout(), c.settledIdle);
    EXPECT_EQ(pool.GetStackSize(), c.settledStack);
    EXPECT_TRUE(pool.Stop(0));
    ExpectStoppedAndEmpty(pool);
  }
}

TEST(WorkerPoolStartTest, SettersSettleTheirValuesOnlyWhileRunning) {
  WorkerPool pool;
  ASSERT_TRUE(pool.Start(1, 0, 500));
  for (const auto& [asked, settled] :
       {std::pair{0, 0}, {5000, 8192}, {13000, 8192}, {20000, 16384}}) {
    pool.SetStackSize(asked);
    EXPECT_EQ(pool.GetStackSize(), settled) << asked;
  }
  for (const auto& [asked, settled] : {std::pair{50, 100}, {400, 400}}) {
    pool.SetIdleTimeout(asked);
    EXPECT_EQ(pool.GetIdleTimeout(), settled) << asked;
  }
  for (const auto& [asked, settled] : {std::pair{0, 1}, {-3, 1}, {7, 7}}) {
    pool.SetMaxThreads(asked);
    EXPECT_EQ(pool.GetMaxThreads(), settled) << asked;
  }
  EXPECT_EQ(pool.GetThreadCount(), 1) << "no items wait, so nothing grew";
  ASSERT_TRUE(pool.Stop(0));

  pool.SetMaxThreads(9);
  pool.SetIdleTimeout(900);
  pool.SetStackSize(90000);
  EXPECT_EQ(pool.GetMaxThreads(), 7);
  EXPECT_EQ(pool.GetIdleTimeout(), 400);
  EXPECT_EQ(pool.GetStackSize(), 16384);
}

TEST(WorkerPoolStartTest, WorkersGetTheSettledStackSize) {
  WorkerPool pool;
  // 16781400 settles to 4097 * 4096 for core workers; the setter rounds to
  // multiples of 8192, so extra workers started later get 2048 * 8192. Both
  // are above the default stack (8 MiB); a thread may get a larger stack than
  // asked for (glibc reuses cached stacks), never a smaller one.
  ASSERT_TRUE(pool.Start(1, 2, std::nullopt, false, 16781400));
  EXPECT_EQ(pool.GetStackSize(), 16781312);
  std::atomic<std::size_t> coreStack{0};
  ASSERT_TRUE(pool.Post(&RecordStackSize, reinterpret_cast<std::intptr_t>(&coreStack)));
  ASSERT_TRUE(WaitUntil([&] { return coreStack.load() != 0; }));
  EXPECT_GE(coreStack.load(), 16781312u);

  pool.SetStackSize(16781400);
  EXPECT_EQ(pool.GetStackSize(), 16777216);
  Holder holder;
  ASSERT_TRUE(PostHold(pool, holder));
  ASSERT_TRUE(WaitUntil([&] { return holder.started.load() == 1; }));
  // The only core worker is held, so this item goes to a new extra worker.
  std::atomic<std::size_t> extraStack{0};
  ASSERT_TRUE(pool.Post(&RecordStackSize, reinterpret_cast<std::intptr_t>(&extraStack)));
  ASSERT_TRUE(WaitUntil([&] { return extraStack.load() != 0; }));
  EXPECT_GE(extraStack.load(), 16777216u);
  EXPECT_EQ(pool.GetThreadCount(), 2);
  holder.release.Set();
  EXPECT_TRUE(pool.Stop(0));
}

TEST(WorkerPoolStateTest, StoppedPoolRefusesEverythingButStartAndStop) {
  WorkerPool pool;
  Tally tally(1);
  ExpectStoppedAndEmpty(pool);
  EXPECT_TRUE(pool.Stop(0)) << "nothing to stop";
  EXPECT_FALSE(PostCounted(pool, tally, 0));
  EXPECT_FALSE(pool.PostAddress(reinterpret_cast<std::uintptr_t>(&CountRun)));
  EXPECT_EQ(pool.GetQueuedCount(), 0);
  EXPECT_FALSE(pool.Pause());
  EXPECT_FALSE(pool.Resume());
  EXPECT_FALSE(pool.WaitWhilePaused(0));
  EXPECT_FALSE(pool.WaitForItemDone(0));
  EXPECT_FALSE(pool.SignalItemDone());
  EXPECT_EQ(tally.Total(), 0);
}

TEST(WorkerPoolStateTest, RunningPoolRefusesASecondStartAndRestartsAfterAStop) {
  WorkerPool pool;
  ASSERT_TRUE(pool.Start(2, 4));
  EXPECT_FALSE(pool.Start(3, 6));
  EXPECT_EQ(pool.GetThreadCount(), 2);
  EXPECT_EQ(pool.GetMaxThreads(), 4);
  EXPECT_FALSE(pool.Post(nullptr));
  EXPECT_FALSE(pool.PostAddress(0));
  EXPECT_EQ(pool.GetQueuedCount(), 0);
  ASSERT_TRUE(pool.Stop(0));
  ExpectStoppedAndEmpty(pool);

  ASSERT_TRUE(pool.Start(3));
  EXPECT_EQ(pool.GetThreadCount(), 3);
  Tally tally(10);
  for (std::size_t i = 0; i < tally.runs.size(); ++i) ASSERT_TRUE(PostCounted(pool, tally, i));
  ASSERT_TRUE(pool.Stop(1));
  EXPECT_EQ(tally.NotOnce(), 0);
  ExpectStoppedAndEmpty(pool);
}

TEST(WorkerPoolStateTest, StartingPoolRefusesStartStopAndPost) {
  WorkerPool* self = nullptr;
  int calls = 0;
  std::int32_t stateSeen = -1;
  bool stopResult = true, startResult = true, postResult = true;
  Tally tally(1);
  // The message hook runs inside Start, while the pool is Starting.
  WorkerPool pool([&] {
    if (calls++ > 0) return;
    stateSeen = self->GetState();
    stopResult = self->Stop(0);
    startResult = self->Start(1);
    postResult = PostCounted(*self, tally, 0);
  });
  self = &pool;
  ASSERT_TRUE(pool.Start(2, 0, std::nullopt, true));
  EXPECT_GT(calls, 0);
  EXPECT_EQ(stateSeen, WorkerPool::Starting);
  EXPECT_FALSE(stopResult);
  EXPECT_FALSE(startResult);
  EXPECT_FALSE(postResult);
  EXPECT_EQ(pool.GetState(), WorkerPool::Running);
  EXPECT_EQ(pool.GetThreadCount(), 2);
  EXPECT_TRUE(pool.Stop(0));
  EXPECT_EQ(tally.Total(), 0);
}

TEST(WorkerPoolStateTest, StopThatRunsOutOfTimeLeavesThePoolStoppingUntilItsLastWorkerLeaves) {
  int hookCalls = 0;
  WorkerPool pool([&] { ++hookCalls; });
  Holder holder;
  holder.pool = &pool;
  ASSERT_TRUE(pool.Start(1));
  ASSERT_TRUE(PostHold(pool, holder));
  ASSERT_TRUE(WaitUntil([&] { return holder.started.load() == 1; }));

  EXPECT_FALSE(pool.Stop(0, 30)) << "the held item keeps the worker";
  EXPECT_EQ(pool.GetState(), WorkerPool::Stopping);
  EXPECT_FALSE(pool.Stop(0, 30, true));
  EXPECT_FALSE(pool.Start(1));
  EXPECT_FALSE(PostHold(pool, holder));
  EXPECT_EQ(hookCalls, 0) << "the first call refused at once, before any wait";

  // A Stop called again on a Stopping pool refuses at once; only the first
  // one waited, and the pool stops by itself once the item returns.
  holder.release.Set();
  ASSERT_TRUE(WaitUntil([&] { return pool.GetState() == WorkerPool::Stopped; }));
  EXPECT_EQ(holder.finished.load(), 1);
  EXPECT_EQ(holder.threadsSeenAfterRelease.load(), 1);
  ExpectStoppedAndEmpty(pool);

  ASSERT_TRUE(pool.Start(1));
  holder.release.Reset();
  ASSERT_TRUE(PostHold(pool, holder));
  ASSERT_TRUE(WaitUntil([&] { return holder.started.load() == 2; }));
  EXPECT_FALSE(pool.Stop(0, 60, true));
  EXPECT_GT(hookCalls, 0) << "a pumping wait processes messages between its slices";
  holder.release.Set();
  ASSERT_TRUE(WaitUntil([&] { return pool.GetState() == WorkerPool::Stopped; }));
}

// One worker holds an item while more items queue behind it; then the pool
// stops. Running items always finish; the mode decides about the queued ones.
TEST(WorkerPoolStopTest, ModeDecidesWhetherQueuedItemsRun) {
  struct Case {
    std::int32_t mode;
    bool waits;
    bool runsQueued;
  };
  const Case cases[] = {{0, true, false}, {1, true, true},  {2, false, false},
                        {3, false, true}, {7, true, false}, {-1, true, false}};
  constexpr std::size_t kQueued = 20;
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "mode " << c.mode);
    Holder holder;
    // The waiting modes process messages while they wait: that is after the
    // stop has decided about the queue, the moment to let the item return.
    WorkerPool pool([&] { holder.release.Set(); });
    ASSERT_TRUE(pool.Start(1));
    ASSERT_TRUE(PostHold(pool, holder));
    ASSERT_TRUE(WaitUntil([&] { return holder.started.load() == 1; }));
    Tally tally(kQueued);
    for (std::size_t i = 0; i < kQueued; ++i) ASSERT_TRUE(PostCounted(pool, tally, i));
    EXPECT_EQ(pool.GetQueuedCount(), static_cast<std::int32_t>(kQueued));
    EXPECT_EQ(pool.GetIdleCount(), 0);

    EXPECT_TRUE(pool.Stop(c.mode, 0, c.waits));
    if (!c.waits) {
      holder.release.Set();
      ASSERT_TRUE(WaitUntil([&] { return pool.GetState() == WorkerPool::Stopped; }));
    }
    ExpectStoppedAndEmpty(pool);
    EXPECT_EQ(holder.finished.load(), 1);
    if (c.runsQueued) {
      EXPECT_EQ(tally.NotOnce(), 0);
    } else {
      EXPECT_EQ(tally.Total(), 0);
    }
  }
}

TEST(WorkerPoolPauseTest, PausedWorkersHoldTheirItemsAtTheGate) {
  WorkerPool pool;
  ASSERT_TRUE(pool.Start(2));
  ASSERT_TRUE(pool.Pause());
  Tally tally(7);
  for (std::size_t i = 0; i < 4; ++i) ASSERT_TRUE(PostCounted(pool, tally, i));

  EXPECT_FALSE(pool.WaitForItemDone(100)) << "no item may finish while paused";
  EXPECT_FALSE(pool.WaitWhilePaused(20));
  EXPECT_EQ(tally.Total(), 0);
  // Items held at the gate still count as queued; idle ignores the queue.
  EXPECT_EQ(pool.GetQueuedCount(), 4);
  EXPECT_EQ(pool.GetBusyCount(), 0);
  EXPECT_EQ(pool.GetIdleCount(), 2);
  EXPECT_FALSE(pool.IsIdle());

  ASSERT_TRUE(pool.Resume());
  EXPECT_TRUE(pool.WaitWhilePaused(0));
  ASSERT_TRUE(WaitUntil([&] { return tally.Total() == 4 && pool.IsIdle(); }));
  EXPECT_EQ(tally.NotOnce(), 3) << "items 4 to 6 are not posted yet";

  // A stop that drops the queue opens the gate and drops what is held there.
  ASSERT_TRUE(pool.Pause());
  for (std::size_t i = 4; i < 7; ++i) ASSERT_TRUE(PostCounted(pool, tally, i));
  EXPECT_TRUE(pool.Stop(0));
  EXPECT_EQ(tally.Total(), 4);
  ExpectStoppedAndEmpty(pool);
}

TEST(WorkerPoolItemDoneTest, WaitsForAFinishedItemOrASignal) {
  int hookCalls = 0;
  WorkerPool pool([&] { ++hookCalls; });
  ASSERT_TRUE(pool.Start(1));
  EXPECT_FALSE(pool.WaitForItemDone(20));
  EXPECT_TRUE(pool.SignalItemDone());
  EXPECT_TRUE(pool.WaitForItemDone(0));

  Tally tally(1);
  ASSERT_TRUE(PostCounted(pool, tally, 0));
  EXPECT_TRUE(pool.WaitForItemDone(kGenerousMs));
  EXPECT_EQ(tally.Total(), 1);

  EXPECT_FALSE(pool.WaitForItemDone(50, true));
  EXPECT_GT(hookCalls, 0);
  EXPECT_TRUE(pool.SignalItemDone());
  EXPECT_TRUE(pool.WaitForItemDone(std::nullopt, true));
  EXPECT_TRUE(pool.Stop(0));
}

TEST(WorkerPoolGrowthTest, ExtraWorkersComeWhileItemsWaitAndLeaveAfterTheirIdleTimeOut) {
  WorkerPool pool;
  ASSERT_TRUE(pool.Start(1, 3, 50));
  EXPECT_EQ(pool.GetIdleTimeout(), 100);
  Holder holder;
  holder.pool = &pool;
  for (int i = 0; i < 4; ++i) ASSERT_TRUE(PostHold(pool, holder));
  ASSERT_TRUE(WaitUntil([&] { return holder.started.load() == 3; }));
  // Capped at maxThreads: one item keeps waiting.
  EXPECT_EQ(pool.GetThreadCount(), 3);
  EXPECT_EQ(pool.GetBusyCount(), 3);
  EXPECT_EQ(pool.GetQueuedCount(), 1);
  EXPECT_EQ(pool.GetIdleCount(), 0);

  pool.SetMaxThreads(4);
  ASSERT_TRUE(WaitUntil([&] { return holder.started.load() == 4; }));
  EXPECT_EQ(pool.GetThreadCount(), 4);
  EXPECT_EQ(pool.GetQueuedCount(), 0);

  const auto released = std::chrono::steady_clock::now();
  holder.release.Set();
  ASSERT_TRUE(WaitUntil([&] { return pool.GetThreadCount() == 1; }));
  // An extra worker starts its idle wait only after its item returned.
  EXPECT_GE(std::chrono::steady_clock::now() - released, std::chrono::milliseconds(100));
  EXPECT_EQ(holder.finished.load(), 4);

  // Well past two idle time-outs, the core worker is still there. (The
  // finished items left the event signalled; take that first.)
  while (pool.WaitForItemDone(0)) {
  }
  EXPECT_FALSE(pool.WaitForItemDone(250));
  EXPECT_EQ(pool.GetThreadCount(), 1);
  EXPECT_EQ(pool.GetState(), WorkerPool::Running);
  EXPECT_TRUE(pool.Stop(0));
  ExpectStoppedAndEmpty(pool);
}

TEST(WorkerPoolLifetimeTest, PoolStopsByItselfWhenEveryWorkerHasLeft) {
  WorkerPool pool;
  ASSERT_TRUE(pool.Start(1));
  // The only worker takes a marker and leaves; the last one out stops the
  // pool and releases its objects, with no Stop. (With several workers an
  // extra one grown in between could take a marker meant for another.)
  ASSERT_TRUE(pool.PostAddress(WorkerPool::kStopMarker, -1, -1));
  ASSERT_TRUE(WaitUntil([&] { return pool.GetState() == WorkerPool::Stopped; }))
      << pool.GetState() << " t" << pool.GetThreadCount() << " b" << pool.GetBusyCount() << " q"
      << pool.GetQueuedCount();
  ExpectStoppedAndEmpty(pool);
  EXPECT_TRUE(pool.Stop(0));

  // The dispatcher of that run is gone before the next run begins.
  ASSERT_TRUE(pool.Start(2, 4));
  Tally tally(50);
  for (std::size_t i = 0; i < tally.runs.size(); ++i) ASSERT_TRUE(PostCounted(pool, tally, i));
  EXPECT_TRUE(pool.Stop(1));
  EXPECT_EQ(tally.NotOnce(), 0);
}

TEST(WorkerPoolLifetimeTest, DestructionLetsRunningItemsFinishAndDropsQueuedOnes) {
  auto* pool = new WorkerPool;
  ASSERT_TRUE(pool->Start(2));
  Holder holder;
  holder.pool = pool;
  ASSERT_TRUE(PostHold(*pool, holder));
  ASSERT_TRUE(PostHold(*pool, holder));
  ASSERT_TRUE(WaitUntil([&] { return holder.started.load() == 2; }));
  Tally tally(5);
  for (std::size_t i = 0; i < tally.runs.size(); ++i) ASSERT_TRUE(PostCounted(*pool, tally, i));

  std::atomic<bool> destroyed{false};
  std::thread destroyer([&] {
    delete pool;
    destroyed = true;
  });
  // The pool cannot be gone while its items hold their workers.
  ASSERT_TRUE(WaitUntil([&] { return pool->GetState() == WorkerPool::Stopping; }));
  EXPECT_FALSE(destroyed.load());
  holder.release.Set();
  destroyer.join();
  EXPECT_EQ(holder.finished.load(), 2);
  // The items still saw their pool, their own worker still counted in it.
  EXPECT_GE(holder.threadsSeenAfterRelease.load(), 1);
  EXPECT_EQ(tally.Total(), 0);
}

TEST(WorkerPoolLifetimeTest, DestroysInEveryState) {
  { WorkerPool neverStarted; }
  {
    WorkerPool running;
    ASSERT_TRUE(running.Start(3, 5));
  }
  {
    WorkerPool stoppingWithoutWait;
    ASSERT_TRUE(stoppingWithoutWait.Start(2));
    ASSERT_TRUE(stoppingWithoutWait.Stop(3));
  }
  {
    WorkerPool paused;
    ASSERT_TRUE(paused.Start(2));
    ASSERT_TRUE(paused.Pause());
    Tally tally(3);
    for (std::size_t i = 0; i < 3; ++i) ASSERT_TRUE(PostCounted(paused, tally, i));
  }
}

// The download driver's way: post only as many items as workers are free,
// wake when one finishes, stop once idle.
void DriveLikeTheDownloader(WorkerPool& pool, Tally& tally) {
  std::size_t next = 0;
  while (next < tally.runs.size()) {
    std::int32_t free = pool.GetIdleCount();
    while (free <= 0) {
      ASSERT_EQ(pool.GetState(), WorkerPool::Running);
      pool.WaitForItemDone(50);
      free = pool.GetIdleCount();
    }
    for (; free > 0 && next < tally.runs.size(); --free)
      ASSERT_TRUE(PostCounted(pool, tally, next++));
  }
  ASSERT_TRUE(WaitUntil([&] { return pool.IsIdle(); }));
  ASSERT_TRUE(pool.Stop(0));
}

TEST(WorkerPoolStressTest, ManyRunsUnderLoadRunEveryItemOnceInTheModesThatRunThem) {
  WorkerPool pool;
  constexpr std::size_t kItems = 300;
  for (int run = 0; run < 60; ++run) {
    SCOPED_TRACE(testing::Message() << "run " << run);
    const std::int32_t core = 1 + run % 4;
    ASSERT_TRUE(pool.Start(core, core + run % 3, 100));
    Tally tally(kItems);
    const int kind = run % 4;
    if (kind == 0) {
      DriveLikeTheDownloader(pool, tally);
      EXPECT_EQ(tally.NotOnce(), 0);
    } else {
      // Two threads post at once, then the pool stops with the queue full.
      std::thread other([&] {
        for (std::size_t i = 0; i < kItems / 2; ++i) EXPECT_TRUE(PostCounted(pool, tally, i));
      });
      for (std::size_t i = kItems / 2; i < kItems; ++i) ASSERT_TRUE(PostCounted(pool, tally, i));
      other.join();
      if (kind == 1) {
        ASSERT_TRUE(pool.Stop(1));
      } else if (kind == 2) {
        ASSERT_TRUE(pool.Stop(3));
        ASSERT_TRUE(WaitUntil([&] { return pool.GetState() == WorkerPool::Stopped; }));
      } else {
        ASSERT_TRUE(pool.Stop(run % 8 == 3 ? 0 : 2));
        ASSERT_TRUE(WaitUntil([&] { return pool.GetState() == WorkerPool::Stopped; }));
      }
      if (kind == 3) {
        for (const auto& r : tally.runs) ASSERT_LE(r.load(), 1);
      } else {
        EXPECT_EQ(tally.NotOnce(), 0);
      }
    }
    ExpectStoppedAndEmpty(pool);
  }
}

}  // namespace
