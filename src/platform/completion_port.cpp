#include "platform/completion_port.h"

#include <chrono>
#include <new>

CompletionPort::CompletionPort(std::size_t initialCapacity)
    : ring_(initialCapacity == 0 ? 1 : initialCapacity) {}

bool CompletionPort::Post(const CompletionPacket& packet) {
  // Notify with the lock held, so that a waiter that takes the packet and
  // then lets the port go cannot do so while we still touch it.
  std::lock_guard lock(mutex_);
  if (!open_) return false;
  if (count_ == ring_.size() && !GrowLocked()) return false;
  ring_[(head_ + count_) % ring_.size()] = packet;
  ++count_;
  arrived_.notify_one();
  return true;
}

bool CompletionPort::GrowLocked() {
  // Growing is the only allocation; running out of memory refuses the packet
  // instead of letting an exception out of Post.
  try {
    std::vector<CompletionPacket> larger(ring_.size() * 2);
    for (std::size_t i = 0; i < count_; ++i) larger[i] = ring_[(head_ + i) % ring_.size()];
    ring_.swap(larger);
    head_ = 0;
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

std::optional<CompletionPacket> CompletionPort::Dequeue(std::optional<std::int64_t> timeoutMs) {
  std::unique_lock lock(mutex_);
  const auto ready = [this] { return count_ > 0 || !open_; };
  if (!timeoutMs || *timeoutMs < 0) {
    arrived_.wait(lock, ready);
  } else if (!arrived_.wait_for(lock, std::chrono::milliseconds(*timeoutMs), ready)) {
    return std::nullopt;
  }
  if (!open_) return std::nullopt;
  const CompletionPacket packet = ring_[head_];
  head_ = (head_ + 1) % ring_.size();
  --count_;
  return packet;
}

bool CompletionPort::Close() {
  std::lock_guard lock(mutex_);
  const bool wasOpen = open_;
  open_ = false;
  head_ = 0;
  count_ = 0;
  arrived_.notify_all();
  return wasOpen;
}

void CompletionPort::Reopen() {
  std::lock_guard lock(mutex_);
  open_ = true;
  head_ = 0;
  count_ = 0;
}

bool CompletionPort::IsOpen() const {
  std::lock_guard lock(mutex_);
  return open_;
}
