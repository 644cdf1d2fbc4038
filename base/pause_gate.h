// Holds a thread at points of its own choosing while another thread has paused it, so that a
// paused thread never sits inside a library call holding a lock others need.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace dl {

class PauseGate {
 public:
  explicit PauseGate(bool paused = false) : paused_(paused) {}
  PauseGate(const PauseGate&) = delete;
  PauseGate& operator=(const PauseGate&) = delete;

  void Pause() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      paused_ = true;
      ++changes_;
    }
    resumed_.notify_all();
  }
  // Also wakes a thread in WaitForChange even when the gate was open already (a stop uses it).
  void Resume() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      paused_ = false;
      ++changes_;
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
  // How many times Pause or Resume was called; taken before deciding to wait.
  unsigned long long Changes() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return changes_;
  }
  // Sleeps up to ms, returning early once Pause or Resume has been called after Changes()
  // returned seen (also when that happened before this call).
  void WaitForChange(unsigned long long seen, unsigned ms) {
    std::unique_lock<std::mutex> lock(mutex_);
    resumed_.wait_for(lock, std::chrono::milliseconds(ms), [&] { return changes_ != seen; });
  }

 private:
  mutable std::mutex mutex_;
  std::condition_variable resumed_;
  bool paused_;
  unsigned long long changes_ = 0;
};

}  // namespace dl
