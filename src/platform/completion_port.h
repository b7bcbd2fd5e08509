#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <optional>
#include <vector>

// One packet of a completion port: three pointer-sized values whose meaning
// is the poster's (a routine's address or a marker, and two arguments).
struct CompletionPacket {
  std::uintptr_t address = 0;
  std::intptr_t first = 0;
  std::intptr_t second = 0;
};

// A first-in first-out queue of packets that any number of threads post to
// and wait on. Packets are handed out in the order in which they were posted,
// each to exactly one waiter.
//
// The packets live in a ring that is allocated up front and grows (doubling)
// only when it is full, so posting allocates nothing in the steady state.
//
// A port can be closed, which stands for its handle being released: a closed
// port drops the packets it held, refuses posts, and every dequeue on it,
// present or future, fails at once. Reopen() makes it usable again, empty.
//
// Every member may be called from any thread.
class CompletionPort {
 public:
  // An open, empty port with room for initialCapacity packets (at least 1).
  explicit CompletionPort(std::size_t initialCapacity = 256);
  CompletionPort(const CompletionPort&) = delete;
  CompletionPort& operator=(const CompletionPort&) = delete;

  // Appends a packet. False when the port is closed or its ring could not
  // grow.
  bool Post(const CompletionPacket& packet);
  // Takes the oldest packet, waiting at most timeoutMs milliseconds for one
  // (no limit when nothing is given or the value is negative; 0 only looks).
  // Nothing on time-out or when the port is or becomes closed.
  std::optional<CompletionPacket> Dequeue(std::optional<std::int64_t> timeoutMs = std::nullopt);

  // Closes the port, drops its packets and wakes every waiter. True when it
  // was open.
  bool Close();
  // Opens the port again, empty; the ring keeps its size.
  void Reopen();
  bool IsOpen() const;

 private:
  // Called with mutex_ held and the ring full.
  bool GrowLocked();

  mutable std::mutex mutex_;
  std::condition_variable arrived_;
  std::vector<CompletionPacket> ring_;
  std::size_t head_ = 0;   // index of the oldest packet
  std::size_t count_ = 0;  // packets held
  bool open_ = true;
};
