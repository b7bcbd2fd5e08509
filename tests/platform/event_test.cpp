#include "platform/event.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "platform/now_milliseconds.h"

namespace {

using Result = Event::WaitResult;
constexpr std::int64_t kGenerousMs = 10000;

TEST(EventTest, AutomaticResetConsumesOneSignalAndSignalsDoNotAddUp) {
  Event event(Event::Mode::kAutoReset);
  EXPECT_EQ(event.Wait(0), Result::kTimedOut);
  EXPECT_TRUE(event.Set());
  EXPECT_TRUE(event.Set());
  EXPECT_EQ(event.Wait(0), Result::kSignalled);
  EXPECT_EQ(event.Wait(0), Result::kTimedOut);

  Event initiallySet(Event::Mode::kAutoReset, true);
  EXPECT_EQ(initiallySet.Wait(0), Result::kSignalled);
  EXPECT_TRUE(initiallySet.Set());
  EXPECT_TRUE(initiallySet.Reset());
  EXPECT_EQ(initiallySet.Wait(0), Result::kTimedOut);
}

TEST(EventTest, AutomaticResetReleasesEveryWaiterOneSignalAtATime) {
  Event event(Event::Mode::kAutoReset);
  Event released(Event::Mode::kAutoReset);
  std::atomic<int> count{0};
  std::vector<std::thread> waiters;
  for (int i = 0; i < 3; ++i) {
    waiters.emplace_back([&] {
      EXPECT_EQ(event.Wait(), Result::kSignalled);
      ++count;
      released.Set();
    });
  }
  // Each signal is taken by one waiter before the next is given, so none is
  // lost to coalescing.
  for (int i = 1; i <= 3; ++i) {
    event.Set();
    while (count.load() < i) ASSERT_EQ(released.Wait(kGenerousMs), Result::kSignalled);
  }
  for (auto& waiter : waiters) waiter.join();
  EXPECT_EQ(count.load(), 3);
  EXPECT_EQ(event.Wait(0), Result::kTimedOut);
}

TEST(EventTest, ManualResetReleasesAllWaitersAndStaysSignalledUntilReset) {
  Event event(Event::Mode::kManualReset);
  std::vector<std::thread> waiters;
  std::atomic<int> signalled{0};
  for (int i = 0; i < 4; ++i) {
    waiters.emplace_back([&] {
      if (event.Wait(kGenerousMs) == Result::kSignalled) ++signalled;
    });
  }
  event.Set();
  for (auto& waiter : waiters) waiter.join();
  EXPECT_EQ(signalled.load(), 4);
  EXPECT_EQ(event.Wait(0), Result::kSignalled);
  EXPECT_EQ(event.Wait(0), Result::kSignalled);
  EXPECT_TRUE(event.Reset());
  EXPECT_EQ(event.Wait(0), Result::kTimedOut);
}

TEST(EventTest, TimedWaitLastsAtLeastItsTimeOut) {
  Event event(Event::Mode::kManualReset);
  const std::int64_t begin = NowMilliseconds();
  EXPECT_EQ(event.Wait(30), Result::kTimedOut);
  // Each reading is truncated to whole milliseconds, which can cost one.
  EXPECT_GE(NowMilliseconds() - begin, 29);
}

TEST(EventTest, CloseWakesWaitersWithFailureAndReopenRestores) {
  Event event(Event::Mode::kAutoReset);
  std::thread waiter([&] { EXPECT_EQ(event.Wait(), Result::kFailed); });
  EXPECT_TRUE(event.Close());
  waiter.join();

  EXPECT_FALSE(event.IsOpen());
  EXPECT_FALSE(event.Close());
  EXPECT_FALSE(event.Set());
  EXPECT_FALSE(event.Reset());
  EXPECT_EQ(event.Wait(), Result::kFailed);
  EXPECT_EQ(event.Wait(kGenerousMs), Result::kFailed);

  event.Reopen(true);
  EXPECT_TRUE(event.IsOpen());
  EXPECT_EQ(event.Wait(0), Result::kSignalled);
  EXPECT_EQ(event.Wait(0), Result::kTimedOut);
}

}  // namespace
