#pragma once

#include <QApplication>
#include <QTest>
#include <QTimer>

#include <functional>

namespace view_testing {

// Processes the GUI thread's events until `condition` holds or the deadline
// passes; returns whether it held.
inline bool ProcessUntil(const std::function<bool()>& condition, int timeoutMs = 5000) {
  return QTest::qWaitFor(condition, timeoutMs);
}

// While it lives, looks every few milliseconds (on the GUI thread, also
// inside the nested event loop of a modal box or menu) for something to act
// on: `act` returns true once it has acted, and is not called again.
class Watcher {
 public:
  explicit Watcher(std::function<bool()> act) : act_(std::move(act)) {
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      if (act_()) timer_.stop();
    });
    timer_.start(5);
  }
  bool acted() const { return !timer_.isActive(); }

 private:
  std::function<bool()> act_;
  QTimer timer_;
};

}  // namespace view_testing
