#include "cli/stop_signals.h"

#include <pthread.h>
#include <signal.h>

namespace velq {
namespace {

// SIGUSR1 is ours: the destructor wakes the waiter with it.
sigset_t StopSet() {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGINT);
  sigaddset(&set, SIGTERM);
  sigaddset(&set, SIGUSR1);
  return set;
}

}  // namespace

StopSignals::StopSignals() {
  const sigset_t set = StopSet();
  pthread_sigmask(SIG_BLOCK, &set, nullptr);
}

void StopSignals::Start(std::function<void()> onStop) {
  waiter_ = std::thread([onStop = std::move(onStop)] {
    const sigset_t set = StopSet();
    int signal = 0;
    while (sigwait(&set, &signal) != 0) {
    }
    if (signal != SIGUSR1) onStop();
  });
}

StopSignals::~StopSignals() {
  if (!waiter_.joinable()) return;
  // Directed at the waiter: a signal it already took leaves this one pending, harmlessly.
  pthread_kill(waiter_.native_handle(), SIGUSR1);
  waiter_.join();
}

}  // namespace velq
