#include "platform/thread.h"

#include <gtest/gtest.h>
#include <pthread.h>

#include <atomic>

#include "platform/event.h"

namespace {

constexpr std::int64_t kGenerousMs = 10000;

std::size_t OwnStackSize() {
  pthread_attr_t attributes;
  std::size_t size = 0;
  if (pthread_getattr_np(pthread_self(), &attributes) == 0) {
    pthread_attr_getstacksize(&attributes, &size);
    pthread_attr_destroy(&attributes);
  }
  return size;
}

TEST(ThreadTest, RunsWithTheChosenStackSizeAndNeverBelowTheMinimum) {
  struct Case {
    std::size_t asked;
    std::size_t expected;
  };
  for (const Case c : {Case{1024 * 1024, 1024 * 1024}, Case{999424, 999424},
                       Case{8192, Thread::kMinimumStackBytes}}) {
    std::atomic<std::size_t> size{0};
    Thread thread;
    ASSERT_TRUE(thread.Start([&] { size = OwnStackSize(); }, c.asked));
    ASSERT_TRUE(thread.Wait(kGenerousMs));
    EXPECT_EQ(size.load(), c.expected) << "asked for " << c.asked;
  }
}

TEST(ThreadTest, WaitTellsWhetherTheBodyHasReturned) {
  Event release(Event::Mode::kManualReset);
  Thread thread;
  EXPECT_TRUE(thread.Wait(0)) << "no thread counts as ended";
  ASSERT_TRUE(thread.Start([&] { release.Wait(); }));
  EXPECT_TRUE(thread.IsOpen());
  EXPECT_FALSE(thread.Wait(0));
  EXPECT_FALSE(thread.Wait(20));
  release.Set();
  EXPECT_TRUE(thread.Wait(kGenerousMs));
  EXPECT_TRUE(thread.Wait());
}

TEST(ThreadTest, AThreadRunsOnAfterItsHandleIsGone) {
  Event release(Event::Mode::kManualReset);
  Event finished(Event::Mode::kManualReset);
  {
    Thread thread;
    ASSERT_TRUE(thread.Start([&] {
      release.Wait();
      finished.Set();
    }));
    thread.Close();
    EXPECT_FALSE(thread.IsOpen());
  }
  release.Set();
  EXPECT_EQ(finished.Wait(kGenerousMs), Event::WaitResult::kSignalled);
}

}  // namespace
