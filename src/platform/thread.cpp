#include "platform/thread.h"

#include <pthread.h>

#include <new>
#include <utility>

#include "platform/event.h"

// Shared by the handle and the thread, so that the thread can report its end
// after the handle has gone.
struct Thread::Control {
  std::function<void()> body;
  Event ended{Event::Mode::kManualReset};
};

void* Thread::Run(void* argument) {
  // The thread owns one reference to its control block from here on.
  auto* handed = static_cast<std::shared_ptr<Control>*>(argument);
  std::shared_ptr<Control> control = std::move(*handed);
  delete handed;
  control->body();
  control->body = nullptr;
  control->ended.Set();
  return nullptr;
}

Thread::Thread() = default;
Thread::~Thread() = default;
Thread::Thread(Thread&&) noexcept = default;
Thread& Thread::operator=(Thread&&) noexcept = default;

bool Thread::Start(std::function<void()> body, std::size_t stackBytes) {
  Close();
  std::shared_ptr<Control> control;
  std::shared_ptr<Control>* argument = nullptr;
  try {
    control = std::make_shared<Control>();
    argument = new std::shared_ptr<Control>(control);
  } catch (const std::bad_alloc&) {
    return false;
  }
  control->body = std::move(body);

  pthread_attr_t attributes;
  if (pthread_attr_init(&attributes) != 0) {
    delete argument;
    return false;
  }
  pthread_attr_setdetachstate(&attributes, PTHREAD_CREATE_DETACHED);
  bool ok = true;
  if (stackBytes != 0) {
    if (stackBytes < kMinimumStackBytes) stackBytes = kMinimumStackBytes;
    ok = pthread_attr_setstacksize(&attributes, stackBytes) == 0;
  }
  if (ok) {
    pthread_t id;
    ok = pthread_create(&id, &attributes, &Thread::Run, argument) == 0;
  }
  pthread_attr_destroy(&attributes);
  if (!ok) delete argument;
  if (ok) control_ = std::move(control);
  return ok;
}

bool Thread::Wait(std::optional<std::int64_t> timeoutMs) {
  if (!control_) return true;
  return control_->ended.Wait(timeoutMs) == Event::WaitResult::kSignalled;
}

void Thread::Close() { control_.reset(); }
