// What one delivery through the capture costs, beside a plain memcpy of the
// same bytes as the floor, and one parse of a large complete table.

#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "search/nit_capture.h"
#include "search/nit_parser.h"
#include "tools/nit_builder/nit_builder.h"

namespace velq {
namespace {

class SilentHost : public NitFilterHost {
 public:
  void SendStartFilter() override {}
  void SendStopFilter() override {}
};

class CountingSink : public NitEntrySink {
 public:
  void AddCheckedEntry(const std::string& text) override {
    bytes += text.size();
    ++entries;
  }
  void SetSatelliteLine(const std::string& text) override { bytes += text.size(); }
  std::size_t bytes = 0;
  std::size_t entries = 0;
};

std::vector<Transponder> Transponders(int count) {
  std::vector<Transponder> list;
  for (int i = 0; i < count; ++i) {
    list.push_back({.FrequencyKhz = 10700000u + 2000u * static_cast<std::uint32_t>(i),
                    .PositionTenths = 130,
                    .polarisation = i % 2 ? Polarisation::Vertical : Polarisation::Horizontal,
                    .SymbolRate = 27500000});
  }
  return list;
}

// A typical NIT actual: 60 transponders in 4 sections.
std::vector<TsPayload> TypicalNitPayloads() {
  return SectionsToPayloads(BuildNitSections({.NetworkName = "Velq Bench",
                                              .Transponders = Transponders(60),
                                              .TranspondersPerSection = 16}));
}

// A large complete table: 500 transponders in 10 sections.
std::vector<SectionBytes> LargeTable() {
  return BuildNitSections({.Transponders = Transponders(500), .TranspondersPerSection = 50});
}

// Idle capture (no search waiting): every delivery is split into sections,
// each checked and collected, without the parse.
void BM_DeliverPayload(benchmark::State& state) {
  SilentHost host;
  CountingSink sink;
  NitCapture capture(host, sink, '.');
  const std::vector<TsPayload> payloads = TypicalNitPayloads();
  std::size_t next = 0;
  for (auto _ : state) {
    capture.Deliver(184, payloads[next].data());
    next = next + 1 == payloads.size() ? 0 : next + 1;
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * 184);
  state.counters["payloads_per_table"] = static_cast<double>(payloads.size());
}
BENCHMARK(BM_DeliverPayload);

void BM_Memcpy184(benchmark::State& state) {
  const std::vector<TsPayload> payloads = TypicalNitPayloads();
  std::vector<std::uint8_t> target(184);
  for (auto _ : state) {
    std::memcpy(target.data(), payloads[0].data(), 184);
    benchmark::DoNotOptimize(target.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * 184);
}
BENCHMARK(BM_Memcpy184);

void BM_ParseNitBuffer(benchmark::State& state) {
  const std::vector<SectionBytes> table = LargeTable();
  std::size_t bytes = 0;
  for (const SectionBytes& section : table) bytes += section.size();
  CountingSink sink;
  SatPosition position;
  for (auto _ : state) {
    ParseNitBuffer(table, position, sink, '.');
    benchmark::DoNotOptimize(sink.bytes);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
  state.counters["entries_per_parse"] =
      static_cast<double>(sink.entries) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_ParseNitBuffer)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace velq
