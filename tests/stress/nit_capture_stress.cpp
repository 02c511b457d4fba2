// The capture under two threads, built with ThreadSanitizer: a host thread
// delivers a NIT carousel as fast as it can while this thread starts, stops
// and clears searches and reads the results, thousands of times. No table
// may be lost or listed twice: at most one parse per search, exactly one
// once the table has been delivered whole after the start. TSan reports
// races (a missing lock); the watchdog ends a deadlock (a host call made
// while the capture holds its lock, against a host whose stop waits for the
// delivery under way).
//
// usage: velq_nit_capture_stress [searches per host] [stall seconds]

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <utility>
#include <thread>
#include <vector>

#include "search/nit_capture.h"
#include "search/satellite_descriptor.h"
#include "tools/nit_builder/nit_builder.h"

namespace velq::stress {
namespace {

void Require(bool holds, const char* what) {
  if (holds) return;
  std::fprintf(stderr, "stress: %s\n", what);
  std::abort();
}

// Ends a stuck run with the step it hangs in; not a timing check: a slow
// machine only has to make some progress within the limit.
std::atomic<const char*> step{"starting"};
std::atomic<std::uint64_t> progress{0};
void Progress(const char* what) {
  step.store(what);
  progress.fetch_add(1);
}
void StartWatchdog(long stallSeconds) {
  std::thread([stallSeconds] {
    for (std::uint64_t seen = ~0ull;; seen = progress.load()) {
      std::this_thread::sleep_for(std::chrono::seconds(stallSeconds));
      if (progress.load() != seen) continue;
      std::fprintf(stderr, "watchdog: no progress for %ld s, stuck in: %s (deadlock?)\n", stallSeconds, step.load());
      std::abort();
    }
  }).detach();
}

// The search window's list: the parser adds on the host's thread, this
// thread reads and clears; `added` counts every entry ever added.
struct SharedSink : NitEntrySink {
  void AddCheckedEntry(const std::string& text) override {
    std::lock_guard lock(mutex);
    entries.push_back(text);
    ++added;
  }
  void SetSatelliteLine(const std::string&) override {}
  template <typename F> auto Locked(F f) {
    std::lock_guard lock(mutex);
    return f();
  }
  std::mutex mutex;
  std::vector<std::string> entries;
  std::uint64_t added = 0;
};

// One thread delivers the table again and again. A pausing host's stop
// returns once that thread is parked between two payloads, as a real host
// closes its filter; the worst host never stops delivering.
class CarouselHost : public NitFilterHost {
 public:
  CarouselHost(const std::vector<TsPayload>& table, bool pauses) : table_(table), pauses_(pauses), running_(!pauses) {}
  void Attach(NitCapture& capture) {
    thread_ = std::thread([this, &capture] {
      for (std::int64_t cycle = 0;; ++cycle) {
        cyclesBegun = cycle + 1;
        for (const TsPayload& payload : table_) {
          {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [this] { return running_ || quit_; });
            if (quit_) return;
            delivering_ = true;
          }
          capture.Deliver(static_cast<std::int32_t>(payload.size()), payload.data());
          ++deliveries;
          Set(delivering_, false);
        }
        lastCompleted = cycle;
      }
    });
  }
  void SendStartFilter() override { Set(running_, true); }
  void SendStopFilter() override {
    if (!pauses_) return;
    std::unique_lock lock(mutex_);
    running_ = false;
    changed_.wait(lock, [this] { return !delivering_; });
  }
  // Needed before the capture goes: this host would deliver into it.
  void Shutdown() {
    Set(quit_, true);
    thread_.join();
  }
  std::atomic<std::uint64_t> deliveries{0};
  std::atomic<std::int64_t> cyclesBegun{0}, lastCompleted{-1};

 private:
  void Set(bool& flag, bool value) {
    {
      std::lock_guard lock(mutex_);
      flag = value;
    }
    changed_.notify_all();
  }
  const std::vector<TsPayload>& table_;
  const bool pauses_;
  std::mutex mutex_;
  std::condition_variable changed_;
  bool running_, delivering_ = false, quit_ = false;
  std::thread thread_;
};

struct Figures {
  std::uint64_t searches = 0, deliveries = 0, parses = 0, waited = 0, stops = 0;
};

enum class Ending { WaitForTable, StopAtOnce, ClearThenWait, StopAfterAWhile };

void RunSearches(const std::vector<TsPayload>& table, const std::vector<std::string>& entries, bool pauses,
                 std::uint64_t searches, Figures& figures) {
  SharedSink sink;
  CarouselHost host(table, pauses);
  NitCapture capture(host, sink, '.');
  host.Attach(capture);
  auto readResults = [&](std::uint64_t turn) {  // what the search window reads meanwhile
    const std::string code = capture.Position().SatPositionCode;
    Require(code.empty() || code == "0192", "the position is the carousel's or none yet");
    if (turn % 2) (void)sink.Locked([&] { return sink.entries.size(); });
    std::this_thread::yield();
  };
  for (std::uint64_t turn = 0; turn < searches; ++turn) {
    const Ending ending = static_cast<Ending>(turn % 4);
    const std::uint64_t addedBefore = sink.Locked([&] { return sink.added; });
    Progress("Start Search");
    capture.StartSearch();
    const std::int64_t firstWholeCycle = host.cyclesBegun;  // every pass from here on is whole
    const bool waits = ending == Ending::WaitForTable || ending == Ending::ClearThenWait;
    if (ending == Ending::ClearThenWait) sink.Locked([&] { sink.entries.clear(); });
    if (waits) {
      Progress("waiting for a whole table");
      while (host.lastCompleted < firstWholeCycle) readResults(turn);
      Require(capture.SearchDone(), "a table delivered whole after the start is parsed");
      ++figures.waited;
      Progress("closing the filter after the parse");
      capture.StopNitFilter();  // as the window's timer does once it sees SearchDone
    } else {
      for (std::uint64_t polls = ending == Ending::StopAtOnce ? 0 : turn % 23; polls > 0; --polls) readResults(turn);
      Progress("Stop Search");
      capture.StopSearch();
      ++figures.stops;
    }
    Require(capture.SearchDone(), "no search waits after its end");
    // Nothing is parsed while no search waits, so the count is final here.
    const auto [added, listed] = sink.Locked([&] { return std::pair(sink.added - addedBefore, sink.entries); });
    Require(added % entries.size() == 0 && added / entries.size() <= 1, "at most one parse per search");
    Require(!waits || added == entries.size(), "the search that waited for its table parsed it once");
    Require(ending != Ending::WaitForTable ||
                std::equal(entries.begin(), entries.end(), listed.end() - static_cast<std::ptrdiff_t>(entries.size())),
            "the parse lists the table's entries in order");
    figures.parses += added / entries.size();
    ++figures.searches;
    if (turn % 64 == 63) sink.Locked([&] { sink.entries.clear(); });  // keep the list from growing without end
  }
  Progress("host shutdown");
  host.Shutdown();
  figures.deliveries += host.deliveries;
}

}  // namespace
}  // namespace velq::stress

int main(int argc, char** argv) {
  using namespace velq;
  using namespace velq::stress;
  const std::uint64_t searches = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 2000;
  StartWatchdog(argc > 2 ? std::strtol(argv[2], nullptr, 10) : 60);

  // Ten sections, so a table takes ten deliveries and a stop can fall
  // anywhere inside it.
  NitTable table{.NetworkName = "Velq Stress", .TranspondersPerSection = 6};
  std::vector<std::string> entries;
  for (std::uint32_t i = 0; i < 60; ++i) {
    table.Transponders.push_back({.FrequencyKhz = 10700000 + 20000 * i, .PositionTenths = 192,
                                  .polarisation = static_cast<Polarisation>(i % 2), .SymbolRate = 27500000});
    const auto bytes = EncodeSatelliteDescriptor(table.Transponders.back());
    entries.push_back(*DecodeEntryText(SatelliteDescriptorBytes(bytes)));
  }
  const std::vector<TsPayload> payloads = SectionsToPayloads(BuildNitSections(table));

  Figures f;
  RunSearches(payloads, entries, true, searches, f);   // a host that pauses on stop
  RunSearches(payloads, entries, false, searches, f);  // a host that never stops
  std::printf("stress_searches=%llu\nstress_deliveries=%llu\nstress_parses=%llu\n"
              "stress_whole_table_checks=%llu\nstress_stops=%llu\n",
              static_cast<unsigned long long>(f.searches), static_cast<unsigned long long>(f.deliveries),
              static_cast<unsigned long long>(f.parses), static_cast<unsigned long long>(f.waited),
              static_cast<unsigned long long>(f.stops));
  return 0;
}
