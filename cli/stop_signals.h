#pragma once
// Ctrl-C (SIGINT) and SIGTERM as a request to stop, taken by a thread of
// their own with sigwait() instead of a signal handler, so that stopping may
// do whatever it needs (a handler may call almost nothing).

#include <functional>
#include <thread>

namespace velq {

class StopSignals {
 public:
  // Blocks the two signals for this thread and every thread started after
  // it: make this before the threads that must not take them.
  StopSignals();
  // Waits for a signal on a thread of its own and then calls `onStop` once.
  void Start(std::function<void()> onStop);
  // Ends the waiting thread when no signal came (the work ended by itself).
  ~StopSignals();
  StopSignals(const StopSignals&) = delete;
  StopSignals& operator=(const StopSignals&) = delete;

 private:
  std::thread waiter_;
};

}  // namespace velq
