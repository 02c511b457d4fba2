#pragma once
// A host for the stress test: one thread of its own delivers a NIT table to
// the capture again and again, as fast as it can, the way a receiver's
// section filter hands over a repeating table.

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

#include "search/nit_capture.h"
#include "tools/nit_builder/nit_builder.h"

namespace velq::stress {

enum class StopBehaviour {
  // Stop returns once the delivery thread is parked between two deliveries,
  // as a real host closes its filter.
  PausesDelivery,
  // Start and stop are only noted; deliveries never stop, the worst host.
  KeepsDelivering,
};

class CarouselHost : public NitFilterHost {
 public:
  CarouselHost(std::vector<TsPayload> table, StopBehaviour behaviour);
  ~CarouselHost() override;

  // The capture to deliver to; starts the delivery thread, parked until the
  // first start unless the host keeps delivering.
  void Attach(NitCapture& capture);

  void SendStartFilter() override;
  void SendStopFilter() override;
  // Ends the delivery thread for good; needed before the capture goes.
  void Shutdown();

  std::uint64_t Deliveries() const { return deliveries_.load(); }
  // Whole passes over the table: begun (numbered from 0), and the number of
  // the last one delivered to its end, -1 before the first.
  std::int64_t CyclesBegun() const { return cyclesBegun_.load(); }
  std::int64_t LastCompletedCycle() const { return lastCompleted_.load(); }

 private:
  void Run();
  bool WaitUntilRunning();
  void DeliverCycle();

  const std::vector<TsPayload> table_;
  const StopBehaviour behaviour_;
  NitCapture* capture_ = nullptr;

  std::mutex mutex_;
  std::condition_variable changed_;
  bool running_ = false;
  bool delivering_ = false;
  bool quit_ = false;

  std::atomic<std::uint64_t> deliveries_{0};
  std::atomic<std::int64_t> cyclesBegun_{0};
  std::atomic<std::int64_t> lastCompleted_{-1};
  std::thread thread_;
};

}  // namespace velq::stress
