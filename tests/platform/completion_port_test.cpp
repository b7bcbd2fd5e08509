#include "platform/completion_port.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {

constexpr std::int64_t kGenerousMs = 10000;

TEST(CompletionPortTest, HandsOutPacketsInPostingOrderAcrossGrowth) {
  CompletionPort port(4);
  const auto post = [&](std::intptr_t i) {
    return port.Post({static_cast<std::uintptr_t>(i + 1), i, -i});
  };
  // Move the ring's head off 0 first, so that growing has to unwrap it.
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(post(i));
  for (int i = 0; i < 2; ++i) EXPECT_EQ(port.Dequeue(0)->first, i);
  for (int i = 3; i < 1003; ++i) ASSERT_TRUE(post(i));

  std::intptr_t expected = 2;
  while (auto packet = port.Dequeue(0)) {
    ASSERT_EQ(packet->first, expected);
    EXPECT_EQ(packet->address, static_cast<std::uintptr_t>(expected + 1));
    EXPECT_EQ(packet->second, -expected);
    ++expected;
  }
  EXPECT_EQ(expected, 1003);
}

TEST(CompletionPortTest, DequeueTimesOutOnAnEmptyPort) {
  CompletionPort port;
  EXPECT_FALSE(port.Dequeue(0));
  EXPECT_FALSE(port.Dequeue(20));
}

TEST(CompletionPortTest, CloseDropsPacketsWakesWaitersAndRefusesPosts) {
  CompletionPort port;
  std::thread waiter([&] { EXPECT_FALSE(port.Dequeue()); });
  EXPECT_TRUE(port.Close());
  waiter.join();

  port.Reopen();
  ASSERT_TRUE(port.Post({1, 2, 3}));
  EXPECT_TRUE(port.Close());
  EXPECT_FALSE(port.IsOpen());
  EXPECT_FALSE(port.Post({1, 2, 3}));
  EXPECT_FALSE(port.Dequeue());
  EXPECT_FALSE(port.Dequeue(kGenerousMs));

  port.Reopen();
  EXPECT_TRUE(port.IsOpen());
  EXPECT_FALSE(port.Dequeue(0)) << "the packet posted before the close came back";
  ASSERT_TRUE(port.Post({7, 8, 9}));
  auto packet = port.Dequeue(0);
  ASSERT_TRUE(packet);
  EXPECT_EQ(packet->address, 7u);
}

TEST(CompletionPortTest, ManyPostersAndWaitersGetEveryPacketOnceInEachPostersOrder) {
  constexpr int kPosters = 4;
  constexpr int kWaiters = 4;
  constexpr int kPerPoster = 5000;
  CompletionPort port(8);
  std::vector<std::atomic<int>> seen(kPosters * kPerPoster);
  std::atomic<int> outOfOrder{0};

  std::vector<std::thread> waiters;
  for (int w = 0; w < kWaiters; ++w) {
    waiters.emplace_back([&] {
      std::vector<std::intptr_t> last(kPosters, -1);
      for (;;) {
        auto packet = port.Dequeue(kGenerousMs);
        if (!packet || packet->address == 0) return;
        const auto poster = static_cast<std::size_t>(packet->first);
        if (packet->second <= last[poster]) ++outOfOrder;
        last[poster] = packet->second;
        ++seen[poster * kPerPoster + static_cast<std::size_t>(packet->second)];
      }
    });
  }
  std::vector<std::thread> posters;
  for (int p = 0; p < kPosters; ++p) {
    posters.emplace_back([&, p] {
      for (int i = 0; i < kPerPoster; ++i) EXPECT_TRUE(port.Post({1, p, i}));
    });
  }
  for (auto& poster : posters) poster.join();
  for (int w = 0; w < kWaiters; ++w) port.Post({0, 0, 0});
  for (auto& waiter : waiters) waiter.join();

  EXPECT_EQ(outOfOrder.load(), 0);
  int wrong = 0;
  for (auto& count : seen) wrong += count.load() != 1;
  EXPECT_EQ(wrong, 0) << "packets not delivered exactly once";
}

}  // namespace
