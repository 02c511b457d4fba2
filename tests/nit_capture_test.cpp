#include "search/nit_capture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "search/parser_results.h"
#include "tests/support/recording_nit_sink.h"
#include "tools/nit_builder/nit_layouts.h"

namespace velq {
namespace {

struct SilentHost : NitFilterHost {
  void SendStartFilter() override {}
  void SendStopFilter() override {}
};

// As a host hands them on: the 184 bytes after every packet header.
void DeliverAsHost(NitCapture& capture, std::span<const TsPacket> packets) {
  for (const TsPacket& packet : packets) capture.Deliver(184, packet.data() + 4);
}

struct Search {
  SilentHost Host;
  RecordingNitSink Sink;
  NitCapture Capture{Host, Sink, '.'};
};

// The plug-in's path (starts inferred) on every layout a host can hand on,
// joining mid-stream, several payloads per call, after odd deliveries.
TEST(NitCapture, FindsTheTableOfEveryLayoutFromPayloadsAlone) {
  const std::uint8_t junk[3] = {0x00, 0x40, 0xF0};
  for (const NitLayout& layout : BuildNitLayouts()) {
    const std::size_t joins[] = {0, 1, layout.Packets.size() / 7};
    for (std::size_t perCall = 1; layout.HostDeliverable && perCall <= 3; ++perCall) {
      const std::size_t join = joins[perCall - 1];
      SCOPED_TRACE(layout.Name + ", joining at packet " + std::to_string(join));
      std::vector<std::uint8_t> payloads;
      for (const TsPacket& p : std::span(layout.Packets).subspan(join))
        payloads.insert(payloads.end(), p.begin() + 4, p.end());
      Search run;
      run.Capture.StartSearch();
      run.Capture.Deliver(184, nullptr);
      run.Capture.Deliver(-5, junk);
      run.Capture.Deliver(0, junk, PayloadStart::kUnitStart);
      run.Capture.Deliver(3, junk);
      for (std::size_t at = 0; at < payloads.size(); at += perCall * 184) {
        run.Capture.Deliver(static_cast<std::int32_t>(std::min(perCall * 184, payloads.size() - at)), &payloads[at]);
      }
      ASSERT_TRUE(run.Capture.SearchDone());
      EXPECT_EQ(run.Sink.Entries, ExpectedEntryTexts(layout.Expected));  // the table ascends
      EXPECT_EQ(run.Capture.Position().SatPositionCode + ".ini", layout.ListFile);
    }
  }
}

// Nothing is assembled before the first search, nor kept when a search
// starts again. One parse per search: the TSan stress.
TEST(NitCapture, ASearchStartsFromNothing) {
  const std::vector<TsPacket> packets = BuildNitLayouts().front().Packets;
  Search run;
  DeliverAsHost(run.Capture, packets);
  run.Capture.StartSearch();
  DeliverAsHost(run.Capture, std::span(packets).first(3));
  run.Capture.StartSearch();
  DeliverAsHost(run.Capture, std::span(packets).subspan(3, 3));
  EXPECT_FALSE(run.Capture.SearchDone());
  EXPECT_TRUE(run.Sink.Entries.empty());
  run.Capture.StopSearch();
  EXPECT_TRUE(run.Capture.SearchDone());
}

// The window's timer polls SearchDone, then takes the queued results: a
// parse ending in between must not finish the search without its entries.
TEST(NitCapture, APollSeesEveryEntryOfTheParseThatFinishedIt) {
  const NitLayout layout = BuildNitLayouts().front();
  const std::span<const TsPacket> packets = std::span(layout.Packets).first(layout.Packets.size() / 2);
  SilentHost host;
  ParserResultQueue queue;
  NitCapture capture(host, queue, '.');
  capture.StartSearch();
  DeliverAsHost(capture, packets.first(packets.size() - 1));
  ASSERT_FALSE(capture.SearchDone());
  std::vector<std::string> shown;
  SearchPoll poll;
  for (int tick = 0; tick < 3 && !poll.finished; ++tick) {
    poll = PollSearch([&] { return capture.SearchDone(); }, [&] {
      std::vector<ParserResult> taken = queue.Take();
      if (tick == 0) DeliverAsHost(capture, packets.last(1));  // the parse ends in between
      return taken;
    });
    for (const ParserResult& r : poll.results)
      if (r.kind == ParserResult::kEntry) shown.push_back(r.text);
  }
  ASSERT_TRUE(poll.finished);
  EXPECT_EQ(shown, ExpectedEntryTexts(layout.Expected));
  EXPECT_TRUE(queue.Take().empty());
}

TEST(NitCapture, ParserFailureEndsTheSearchWithoutEscaping) {
  struct : NitEntrySink {
    void AddCheckedEntry(const std::string&) override { throw std::runtime_error("window gone"); }
    void SetSatelliteLine(const std::string&) override {}
  } sink;
  SilentHost host;
  NitCapture capture(host, sink, '.');
  capture.StartSearch();
  const NitLayout layout = BuildNitLayouts().front();
  DeliverAsHost(capture, layout.Packets);
  EXPECT_TRUE(capture.SearchDone());
  EXPECT_EQ(capture.Position().SatPositionCode + ".ini", layout.ListFile);
}

}  // namespace
}  // namespace velq
