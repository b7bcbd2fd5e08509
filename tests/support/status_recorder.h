#pragma once

#include <mutex>
#include <vector>

#include "app/list_view.h"
#include "platform/text.h"

namespace testing_support {

// Records every new status a task row shows, in order, by watching the task
// list. Attach before the run starts; detaches itself when it goes.
class StatusRecorder : public ControlObserver {
 public:
  StatusRecorder(ListView& tasks, ListView::RowId task) : tasks_(tasks), task_(task) {
    tasks_.SetObserver(this);
  }
  ~StatusRecorder() override { tasks_.SetObserver(nullptr); }

  void ControlChanged(Control&) override {
    const Text status = tasks_.GetCellById(task_, 3);
    std::lock_guard lock(mutex_);
    if (seen_.empty() || seen_.back() != status) seen_.push_back(status);
  }
  std::vector<Text> seen() const {
    std::lock_guard lock(mutex_);
    return seen_;
  }
  bool Saw(const Text& status) const {
    std::lock_guard lock(mutex_);
    for (const Text& s : seen_)
      if (s == status) return true;
    return false;
  }

 private:
  ListView& tasks_;
  ListView::RowId task_;
  mutable std::mutex mutex_;
  std::vector<Text> seen_;
};

}  // namespace testing_support
