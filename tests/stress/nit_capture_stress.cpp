// The capture under two threads, built with ThreadSanitizer: a host thread
// delivers a NIT carousel as fast as it can while this thread starts, stops
// and clears searches and reads the results, thousands of times. It checks
// that no table is lost or listed twice: at most one parse per search, and
// exactly one once the table has been delivered whole after the start.
// TSan reports races and lock-order problems; the watchdog ends a deadlock.
//
// usage: velq_nit_capture_stress [searches per host] [stall seconds]

#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "search/nit_capture.h"
#include "search/satellite_descriptor.h"
#include "tests/stress/carousel_host.h"
#include "tests/stress/shared_sink.h"
#include "tests/stress/watchdog.h"
#include "tools/nit_builder/nit_builder.h"

namespace velq::stress {
namespace {

void Require(bool holds, const char* what) {
  if (holds) return;
  std::fprintf(stderr, "stress: %s\n", what);
  std::abort();
}

struct Carousel {
  std::vector<TsPayload> payloads;
  std::vector<std::string> entries;  // what one parse of it lists
};

// Ten sections, so a table takes ten deliveries and a stop can fall
// anywhere inside it.
Carousel MakeCarousel() {
  NitTable table{.NetworkName = "Velq Stress", .TranspondersPerSection = 6};
  for (std::uint32_t i = 0; i < 60; ++i) {
    table.Transponders.push_back({.FrequencyKhz = 10700000 + 20000 * i,
                                  .PositionTenths = 192,
                                  .polarisation = static_cast<Polarisation>(i % 2),
                                  .SymbolRate = 27500000});
  }
  Carousel carousel{SectionsToPayloads(BuildNitSections(table)), {}};
  for (const Transponder& t : table.Transponders) {
    const auto bytes = EncodeSatelliteDescriptor(t);
    carousel.entries.push_back(*DecodeEntryText(SatelliteDescriptorBytes(bytes)));
  }
  return carousel;
}

struct Figures {
  std::uint64_t searches = 0;
  std::uint64_t deliveries = 0;
  std::uint64_t parses = 0;
  std::uint64_t wholeTableChecks = 0;  // searches that waited for their table
  std::uint64_t stops = 0;             // searches stopped, parsed or not
  std::uint64_t reads = 0;             // snapshots of the results taken
};

// What the search window reads while the host delivers.
void ReadResults(const NitCapture& capture, const SharedSink& sink, std::uint64_t turn,
                 Figures& figures) {
  const SatPosition position = capture.Position();
  Require(position.SatPositionCode.empty() || position.SatPositionCode == "0192",
          "the position is the carousel's or none yet");
  if (turn % 8 == 0) (void)capture.SearchDone();
  if (turn % 8 == 4) (void)sink.Entries();
  ++figures.reads;
}

enum class Ending { WaitForTable, ClearThenWait, StopAtOnce, StopAfterAWhile };

void RunSearch(NitCapture& capture, CarouselHost& host, SharedSink& sink,
               const Carousel& carousel, Ending ending, std::uint64_t turn, Watchdog& watchdog,
               Figures& figures) {
  const std::uint64_t addedBefore = sink.Added();
  watchdog.Progress("Start Search");
  capture.StartSearch();
  // Every pass that begins from here on is delivered whole after the start.
  const std::int64_t firstWholeCycle = host.CyclesBegun();

  const bool waits = ending == Ending::WaitForTable || ending == Ending::ClearThenWait;
  if (ending == Ending::ClearThenWait) sink.Clear();
  if (waits) {
    watchdog.Progress("waiting for a whole table");
    while (host.LastCompletedCycle() < firstWholeCycle) {
      ReadResults(capture, sink, turn++, figures);
      std::this_thread::yield();
    }
    Require(capture.SearchDone(), "a table delivered whole after the start is parsed");
    ++figures.wholeTableChecks;
    watchdog.Progress("closing the filter after the parse");
    capture.StopNitFilter();  // as the window's timer does once it sees SearchDone
  } else {
    for (std::uint64_t polls = ending == Ending::StopAtOnce ? 0 : turn % 23; polls > 0; --polls) {
      ReadResults(capture, sink, turn++, figures);
      std::this_thread::yield();
    }
    watchdog.Progress("Stop Search");
    capture.StopSearch();
    ++figures.stops;
  }
  Require(capture.SearchDone(), "no search waits after its end");

  // Nothing is parsed while no search waits, so the count is final here.
  const std::uint64_t added = sink.Added() - addedBefore;
  Require(added % carousel.entries.size() == 0, "a parse lists the whole table");
  const std::uint64_t parses = added / carousel.entries.size();
  Require(parses <= 1, "at most one parse per search");
  Require(!waits || parses == 1, "the search that waited for its table parsed it once");
  if (ending == Ending::WaitForTable) {
    const std::vector<std::string> listed = sink.Entries();
    Require(std::vector<std::string>(listed.end() - static_cast<std::ptrdiff_t>(
                                                        carousel.entries.size()),
                                     listed.end()) == carousel.entries,
            "the parse lists the table's entries in order");
  }
  figures.parses += parses;
  ++figures.searches;
}

Figures RunSearches(const Carousel& carousel, StopBehaviour behaviour, std::uint64_t searches,
                    Watchdog& watchdog) {
  Figures figures;
  SharedSink sink;
  CarouselHost host(carousel.payloads, behaviour);
  NitCapture capture(host, sink, '.');
  host.Attach(capture);
  constexpr Ending kEndings[] = {Ending::WaitForTable, Ending::StopAtOnce, Ending::ClearThenWait,
                                 Ending::StopAfterAWhile};
  for (std::uint64_t i = 0; i < searches; ++i) {
    RunSearch(capture, host, sink, carousel, kEndings[i % 4], i, watchdog, figures);
    if (i % 64 == 63) sink.Clear();  // keep the list from growing without end
  }
  watchdog.Progress("host shutdown");
  host.Shutdown();  // a host that never stops would deliver into a capture that is gone
  figures.deliveries = host.Deliveries();
  return figures;
}

void Print(const char* host, const Figures& f) {
  std::printf(
      "%s: %llu searches, %llu deliveries, %llu parses, %llu waited for their table, "
      "%llu stopped, %llu result reads\n",
      host, static_cast<unsigned long long>(f.searches),
      static_cast<unsigned long long>(f.deliveries), static_cast<unsigned long long>(f.parses),
      static_cast<unsigned long long>(f.wholeTableChecks),
      static_cast<unsigned long long>(f.stops), static_cast<unsigned long long>(f.reads));
}

}  // namespace
}  // namespace velq::stress

int main(int argc, char** argv) {
  using namespace velq::stress;
  const std::uint64_t searches = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 2000;
  const long stallSeconds = argc > 2 ? std::strtol(argv[2], nullptr, 10) : 60;

  Watchdog watchdog{std::chrono::seconds(stallSeconds)};
  const Carousel carousel = MakeCarousel();
  const Figures pausing = RunSearches(carousel, StopBehaviour::PausesDelivery, searches, watchdog);
  Print("host that pauses on stop", pausing);
  const Figures endless = RunSearches(carousel, StopBehaviour::KeepsDelivering, searches, watchdog);
  Print("host that never stops", endless);

  // For the reliability table.
  std::printf("stress_searches=%llu\nstress_deliveries=%llu\nstress_parses=%llu\n"
              "stress_whole_table_checks=%llu\nstress_stops=%llu\n",
              static_cast<unsigned long long>(pausing.searches + endless.searches),
              static_cast<unsigned long long>(pausing.deliveries + endless.deliveries),
              static_cast<unsigned long long>(pausing.parses + endless.parses),
              static_cast<unsigned long long>(pausing.wholeTableChecks + endless.wholeTableChecks),
              static_cast<unsigned long long>(pausing.stops + endless.stops));
  return 0;
}
