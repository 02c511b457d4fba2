#include "tests/stress/watchdog.h"

#include <cstdio>
#include <cstdlib>

namespace velq::stress {

Watchdog::Watchdog(std::chrono::seconds stallLimit)
    : stallLimit_(stallLimit), thread_([this] { Watch(); }) {}

Watchdog::~Watchdog() {
  {
    std::lock_guard lock(mutex_);
    done_ = true;
  }
  finished_.notify_all();
  thread_.join();
}

void Watchdog::Watch() {
  std::unique_lock lock(mutex_);
  std::uint64_t seen = progress_.load();
  auto lastProgress = std::chrono::steady_clock::now();
  while (!finished_.wait_for(lock, std::chrono::seconds(1), [this] { return done_; })) {
    const std::uint64_t now = progress_.load();
    if (now != seen) {
      seen = now;
      lastProgress = std::chrono::steady_clock::now();
    } else if (std::chrono::steady_clock::now() - lastProgress >= stallLimit_) {
      std::fprintf(stderr, "watchdog: no progress for %lld s, stuck in: %s (deadlock?)\n",
                   static_cast<long long>(stallLimit_.count()), step_.load());
      std::fflush(stderr);
      std::abort();
    }
  }
}

}  // namespace velq::stress
