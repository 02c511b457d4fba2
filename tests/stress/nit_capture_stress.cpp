// The capture under ThreadSanitizer: a host thread delivers a NIT carousel
// while this one starts and stops searches, thousands of times. TSan reports
// races and a host called with the capture locked (its stop waits for the
// delivery under way); the watchdog ends a deadlock TSan misses.
// usage: velq_nit_capture_stress [searches per host] [stall seconds]

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "search/nit_capture.h"
#include "tools/nit_builder/nit_builder.h"

namespace velq {
namespace {

void Require(bool holds, const char* what) {
  if (holds) return;
  std::fprintf(stderr, "stress: %s\n", what);
  std::abort();
}

// Ends a stuck run with its step; a slow machine only has to make progress.
std::atomic<const char*> step{"starting"};
std::atomic<std::uint64_t> progress{0};
std::atomic<unsigned long long> deliveryCount{0};
unsigned long long searchCount = 0, parseCount = 0, waitCount = 0;
void Progress(const char* what) { step = what, ++progress; }
void StartWatchdog(long stallSeconds) {
  std::thread([stallSeconds] {
    for (std::uint64_t seen = ~0ull; seen != progress;) {
      seen = progress;
      std::this_thread::sleep_for(std::chrono::seconds(stallSeconds));
    }
    std::fprintf(stderr, "watchdog: no progress for %ld s, stuck in: %s (deadlock?)\n", stallSeconds, step.load());
    std::abort();
  }).detach();
}

struct CountingSink : NitEntrySink {
  void AddCheckedEntry(const std::string&) override { ++added; }
  void SetSatelliteLine(const std::string&) override {}
  std::atomic<std::uint64_t> added{0};
};

// Delivers the table again and again. A pausing host's stop returns once its
// thread is out of the capture, as a real host's; the worst never stops.
class CarouselHost : public NitFilterHost {
 public:
  CarouselHost(const std::vector<TsPayload>& table, bool pauses) : table_(table), pauses_(pauses) {}
  void Run(NitCapture& capture, std::stop_token quit) {
    for (std::int64_t cycle = 0; !quit.stop_requested(); ++cycle) {
      cyclesBegun = cycle + 1;
      for (std::size_t i = 0; i < table_.size() && !quit.stop_requested();) {
        std::unique_lock lock(delivering_);
        if (pauses_ && !running_) {
          lock.unlock();
          std::this_thread::yield();
          continue;
        }
        capture.Deliver(static_cast<std::int32_t>(table_[i].size()), table_[i].data());
        ++deliveryCount, ++i;
      }
      lastCompleted = cycle;
    }
  }
  void SendStartFilter() override { running_ = true; }
  void SendStopFilter() override {
    running_ = false;
    if (!pauses_) return;
    delivering_.lock();  // the delivery under way has ended
    delivering_.unlock();
  }
  std::atomic<std::int64_t> cyclesBegun{0}, lastCompleted{-1};

 private:
  const std::vector<TsPayload>& table_;
  const bool pauses_;
  std::mutex delivering_;
  std::atomic<bool> running_{false};
};


// Searches end in turn: waiting for a whole table, stopped at once, stopped
// after reading what the window reads a few times.
void RunSearches(const std::vector<TsPayload>& table, std::uint64_t entries, bool pauses, std::uint64_t searches) {
  CountingSink sink;
  CarouselHost host(table, pauses);
  NitCapture capture(host, sink, '.');
  // Declared after the capture, so it stops delivering before the capture goes.
  std::jthread deliverer([&](std::stop_token quit) { host.Run(capture, quit); });
  const auto poll = [&] {
    const std::string code = capture.Position().SatPositionCode;
    Require(code.empty() || code == "0192", "the position is the carousel's or none yet");
    std::this_thread::yield();
  };
  for (std::uint64_t turn = 0; turn < searches; ++turn) {
    const bool waits = turn % 2 == 0;
    const std::uint64_t addedBefore = sink.added;
    Progress("Start Search");
    capture.StartSearch();
    const std::int64_t firstWholeCycle = host.cyclesBegun;  // every pass from here on is whole
    if (waits) {
      Progress("waiting for a whole table");
      while (host.lastCompleted < firstWholeCycle) poll();
      Require(capture.SearchDone(), "a table delivered whole after the start is parsed");
      ++waitCount;
      Progress("closing the filter after the parse");
      capture.StopNitFilter();  // as the window's timer does once it sees SearchDone
    } else {
      for (std::uint64_t polls = turn % 4 == 1 ? 0 : turn % 23; polls > 0; --polls) poll();
      Progress("Stop Search");
      capture.StopSearch();
    }
    // Nothing is parsed while no search waits, so the count is final here.
    const std::uint64_t added = sink.added - addedBefore;
    Require(added == 0 || added == entries, "at most one parse per search");
    Require(!waits || added == entries, "the search that waited for its table parsed it once");
    parseCount += added / entries;
    ++searchCount;
  }
  Progress("host shutdown");
}

}  // namespace
}  // namespace velq

int main(int argc, char** argv) {
  using namespace velq;
  const std::uint64_t searches = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 2000;
  StartWatchdog(argc > 2 ? std::strtol(argv[2], nullptr, 10) : 60);
  // Ten deliveries a table: a stop can fall anywhere inside it.
  const NitTable table{.NetworkName = "Velq Stress", .Transponders = TransponderBand(60, 10700, 192),
                       .TranspondersPerSection = 6};
  const std::vector<TsPayload> payloads = SectionsToPayloads(BuildNitSections(table));
  RunSearches(payloads, table.Transponders.size(), true, searches);   // pauses on stop
  RunSearches(payloads, table.Transponders.size(), false, searches);  // never stops
  std::printf("stress_searches=%llu\nstress_deliveries=%llu\nstress_parses=%llu\nstress_whole_table_checks=%llu\n",
              searchCount, deliveryCount.load(), parseCount, waitCount);
  return 0;
}
