// Holds a thread at points of its own choosing while another thread has paused it, so that a
// paused thread never sits inside a library call holding a lock others need.
#pragma once

#include <condition_variable>
#include <mutex>

namespace dl {

class PauseGate {
 public:
  explicit PauseGate(bool paused = false) : paused_(paused) {}
  PauseGate(const PauseGate&) = delete;
  PauseGate& operator=(const PauseGate&) = delete;

  void Pause() {
    std::lock_guard<std::mutex> lock(mutex_);
    paused_ = true;
  }
  void Resume() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      paused_ = false;
    }
    resumed_.notify_all();
  }
  bool IsPaused() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return paused_;
  }
  // Returns at once when not paused, else when Resume is called.
  void WaitWhilePaused() {
    std::unique_lock<std::mutex> lock(mutex_);
    resumed_.wait(lock, [this] { return !paused_; });
  }

 private:
  mutable std::mutex mutex_;
  std::condition_variable resumed_;
  bool paused_;
};

}  // namespace dl
