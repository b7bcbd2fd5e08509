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

// A thread may get a larger stack than asked for: glibc hands out cached
// stacks of finished threads that are somewhat larger, and ThreadSanitizer
// raises small stacks. So sizes are checked from below, asked above the
// default size (8 MiB), so that a thread with the default stack fails.
TEST(ThreadTest, RunsWithAtLeastTheChosenStackSizeAndNeverBelowTheMinimum) {
  struct Case {
    std::size_t asked;
    std::size_t atLeast;
  };
  for (const Case c : {Case{16 * 1024 * 1024, 16 * 1024 * 1024}, Case{20000000, 20000000},
                       Case{8192, Thread::kMinimumStackBytes}}) {
    SCOPED_TRACE(testing::Message() << "asked for " << c.asked);
    std::atomic<std::size_t> size{0};
    Thread thread;
    ASSERT_TRUE(thread.Start([&] { size = OwnStackSize(); }, c.asked));
    ASSERT_TRUE(thread.Wait(kGenerousMs));
    EXPECT_GE(size.load(), c.atLeast);
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
