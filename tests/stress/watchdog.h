#pragma once
// Ends a stuck run: when no progress is reported for the given time it
// names the step that hangs and aborts, so that a deadlock fails the run
// with a message instead of hanging CI. Not a timing check: a slow machine
// only has to make some progress within the limit.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

namespace velq::stress {

class Watchdog {
 public:
  explicit Watchdog(std::chrono::seconds stallLimit);
  ~Watchdog();
  Watchdog(const Watchdog&) = delete;
  Watchdog& operator=(const Watchdog&) = delete;

  // `step` must be a string literal: it is read by the watchdog's thread.
  void Progress(const char* step) {
    step_.store(step);
    progress_.fetch_add(1);
  }

 private:
  void Watch();

  const std::chrono::seconds stallLimit_;
  std::atomic<const char*> step_{"starting"};
  std::atomic<std::uint64_t> progress_{0};
  std::mutex mutex_;
  std::condition_variable finished_;
  bool done_ = false;
  std::thread thread_;
};

}  // namespace velq::stress
