#include "tests/stress/carousel_host.h"

#include <utility>

namespace velq::stress {

CarouselHost::CarouselHost(std::vector<TsPayload> table, StopBehaviour behaviour)
    : table_(std::move(table)), behaviour_(behaviour) {}

CarouselHost::~CarouselHost() { Shutdown(); }

void CarouselHost::Shutdown() {
  {
    std::lock_guard lock(mutex_);
    quit_ = true;
  }
  changed_.notify_all();
  if (thread_.joinable()) thread_.join();
}

void CarouselHost::Attach(NitCapture& capture) {
  capture_ = &capture;
  running_ = behaviour_ == StopBehaviour::KeepsDelivering;
  thread_ = std::thread([this] { Run(); });
}

void CarouselHost::SendStartFilter() {
  {
    std::lock_guard lock(mutex_);
    running_ = true;
  }
  changed_.notify_all();
}

void CarouselHost::SendStopFilter() {
  if (behaviour_ == StopBehaviour::KeepsDelivering) return;
  std::unique_lock lock(mutex_);
  running_ = false;
  changed_.wait(lock, [this] { return !delivering_; });
}

void CarouselHost::Run() {
  while (WaitUntilRunning()) DeliverCycle();
}

bool CarouselHost::WaitUntilRunning() {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [this] { return running_ || quit_; });
  return !quit_;
}

// One pass over the table; a stop parks the thread between two payloads and
// the pass goes on where it was when the filter opens again.
void CarouselHost::DeliverCycle() {
  const std::int64_t cycle = cyclesBegun_.fetch_add(1);
  for (const TsPayload& payload : table_) {
    {
      std::unique_lock lock(mutex_);
      changed_.wait(lock, [this] { return running_ || quit_; });
      if (quit_) return;
      delivering_ = true;
    }
    capture_->Deliver(static_cast<std::int32_t>(payload.size()), payload.data());
    deliveries_.fetch_add(1);
    {
      std::lock_guard lock(mutex_);
      delivering_ = false;
    }
    changed_.notify_all();
  }
  lastCompleted_.store(cycle);
}

}  // namespace velq::stress
