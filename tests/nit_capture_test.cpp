#include "search/nit_capture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <future>
#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

#include "tools/nit_builder/nit_builder.h"
#include "tools/nit_builder/nit_layouts.h"
#include "search/parser_results.h"
#include "tests/support/recording_nit_sink.h"

namespace velq {
namespace {

class LoggingHost : public NitFilterHost {
 public:
  void SendStartFilter() override { Log("start"); }
  void SendStopFilter() override { Log("stop"); }
  std::vector<std::string> Messages;
  std::function<void()> OnMessage;

 private:
  void Log(const char* message) {
    Messages.push_back(message);
    if (OnMessage) OnMessage();
  }
};

// velqtp's reading of the TS header, cut down to what the capture is told:
// damaged packets and repeats are left out, a counter gap is reported.
void DeliverKnowingStarts(NitCapture& capture, const std::vector<TsPacket>& packets) {
  int lastCounter = -1;
  for (const TsPacket& packet : packets) {
    if ((packet[1] & 0x80) != 0 || (packet[3] & 0x10) == 0) continue;
    const int counter = packet[3] & 0x0F;
    if (counter == lastCounter) continue;
    if (lastCounter >= 0 && counter != (lastCounter + 1) % 16) capture.Discontinuity();
    lastCounter = counter;
    const std::vector<std::uint8_t> payload = PacketPayload(packet);
    const PayloadStart start =
        (packet[1] & 0x40) != 0 ? PayloadStart::kUnitStart : PayloadStart::kContinuation;
    capture.Deliver(static_cast<std::int32_t>(payload.size()), payload.data(), start);
  }
}

// As a host hands them on: the 184 bytes after every packet header.
void DeliverAsHost(NitCapture& capture, const std::vector<TsPacket>& packets) {
  for (const TsPacket& packet : packets) capture.Deliver(184, packet.data() + 4);
}

std::vector<std::string> Sorted(std::vector<std::string> texts) {
  std::sort(texts.begin(), texts.end());
  return texts;
}

struct SearchRun {
  LoggingHost Host;
  RecordingNitSink Sink;
  NitCapture Capture{Host, Sink, '.'};
  SearchRun() { Capture.StartSearch(); }
};

// Every layout a broadcast may use gives exactly its table's entries and
// list file, whether the TS header is read (velqtp) or starts are inferred
// (the plug-in), and from the first packet or joining mid-stream.
TEST(NitCapture, FindsTheTableOfEveryLayout) {
  for (const NitLayout& layout : BuildNitLayouts()) {
    std::vector<std::string> expected;
    for (const Transponder& t : layout.Expected) expected.push_back(ExpectedEntryText(t));
    expected = Sorted(expected);

    for (const bool knowingStarts : {true, false}) {
      if (!knowingStarts && !layout.HostDeliverable) continue;
      for (const std::size_t join : {std::size_t{0}, std::size_t{1}, layout.Packets.size() / 7}) {
        SCOPED_TRACE(layout.Name + (knowingStarts ? " from TS headers" : " inferred") +
                     ", joining at packet " + std::to_string(join));
        const std::vector<TsPacket> packets(layout.Packets.begin() + static_cast<std::ptrdiff_t>(join),
                                            layout.Packets.end());
        SearchRun run;
        if (knowingStarts) {
          DeliverKnowingStarts(run.Capture, packets);
        } else {
          DeliverAsHost(run.Capture, packets);
        }
        ASSERT_TRUE(run.Capture.SearchDone());
        EXPECT_EQ(Sorted(run.Sink.Entries), expected);
        EXPECT_EQ(run.Capture.Position().SatPositionCode + ".ini", layout.ListFile);
      }
    }
  }
}

// A host may hand over several payloads in one call, or odd lengths and
// no data at all; none of it may disturb the search.
TEST(NitCapture, OddDeliveriesAreHarmless) {
  const NitLayout layout = BuildNitLayouts().front();
  std::vector<std::uint8_t> joined;
  for (const TsPacket& packet : layout.Packets) joined.insert(joined.end(), packet.begin() + 4, packet.end());

  SearchRun run;
  const std::uint8_t junk[3] = {0x00, 0x40, 0xF0};
  run.Capture.Deliver(184, nullptr);
  run.Capture.Deliver(-5, junk);
  run.Capture.Deliver(std::numeric_limits<std::int32_t>::min(), junk);
  run.Capture.Deliver(0, junk, PayloadStart::kUnitStart);
  run.Capture.Deliver(3, junk);
  run.Capture.Deliver(2, junk, PayloadStart::kUnitStart);
  EXPECT_FALSE(run.Capture.SearchDone());
  // Runs of two and five payloads.
  for (std::size_t at = 0; at + 7 * 184 <= joined.size(); at += 7 * 184) {
    run.Capture.Deliver(2 * 184, joined.data() + at);
    run.Capture.Deliver(5 * 184, joined.data() + at + 2 * 184);
  }
  EXPECT_TRUE(run.Capture.SearchDone());
  EXPECT_EQ(run.Sink.Entries.size(), layout.Expected.size());
}

TEST(NitCapture, ParsesTheFirstCompleteTableOncePerSearch) {
  const std::vector<NitLayout> layouts = BuildNitLayouts();
  const NitLayout& first = layouts[0];
  const NitLayout& second = layouts[1];
  LoggingHost host;
  RecordingNitSink sink;
  NitCapture capture(host, sink, '.');
  DeliverAsHost(capture, first.Packets);  // idle since construction: nothing parsed
  EXPECT_TRUE(sink.Entries.empty());

  capture.StartSearch();
  DeliverAsHost(capture, first.Packets);
  DeliverAsHost(capture, second.Packets);
  EXPECT_EQ(sink.Entries.size(), first.Expected.size());

  capture.StartSearch();
  DeliverAsHost(capture, second.Packets);
  EXPECT_EQ(sink.Entries.size(), first.Expected.size() + second.Expected.size());
  EXPECT_EQ(capture.Position().SatPositionCode + ".ini", second.ListFile);
}

// The window's timer polls SearchDone and takes the queued results; a parse
// that ends between those two steps must not finish the search without its
// last entries. The poll is run tick by tick with the parse ending inside it.
TEST(NitCapture, APollSeesEveryEntryOfTheParseThatFinishedIt) {
  const std::vector<Transponder> list = BuildNitLayouts().front().Expected;
  const std::vector<TsPacket> packets = SectionsToPackets(BuildNitSections({.Transponders = list}));
  LoggingHost host;
  ParserResultQueue queue;
  NitCapture capture(host, queue, '.');
  capture.StartSearch();
  DeliverAsHost(capture, std::vector<TsPacket>(packets.begin(), packets.end() - 1));
  ASSERT_FALSE(capture.SearchDone());

  bool lastDelivered = false;
  auto takeThenFinishParse = [&] {
    std::vector<ParserResult> taken = queue.Take();
    if (!lastDelivered) DeliverAsHost(capture, {packets.back()});
    lastDelivered = true;
    return taken;
  };
  std::vector<std::string> shown;
  SearchPoll poll;
  for (int tick = 0; tick < 3 && !poll.finished; ++tick) {
    poll = PollSearch([&] { return capture.SearchDone(); }, takeThenFinishParse);
    for (const ParserResult& r : poll.results)
      if (r.kind == ParserResult::kEntry) shown.push_back(r.text);
  }
  ASSERT_TRUE(poll.finished);
  std::vector<std::string> expected;
  for (const Transponder& t : list) expected.push_back(ExpectedEntryText(t));
  EXPECT_EQ(Sorted(shown), Sorted(expected));
  EXPECT_TRUE(queue.Take().empty());
}

class ThrowingSink : public NitEntrySink {
 public:
  void AddCheckedEntry(const std::string&) override { throw std::runtime_error("window gone"); }
  void SetSatelliteLine(const std::string&) override {}
};

TEST(NitCapture, ParserFailureEndsTheSearchWithoutEscaping) {
  LoggingHost host;
  ThrowingSink sink;
  NitCapture capture(host, sink, '.');
  capture.StartSearch();
  const NitLayout layout = BuildNitLayouts().front();
  DeliverAsHost(capture, layout.Packets);
  EXPECT_TRUE(capture.SearchDone());
  EXPECT_EQ(capture.Position().SatPositionCode + ".ini", layout.ListFile);
}

TEST(NitCapture, StartAndStopSearchTalkToTheHostWithoutHoldingTheLock) {
  const NitLayout layout = BuildNitLayouts().front();
  SearchRun run;
  run.Host.Messages.clear();
  // The host reads the capture from its own thread, as its delivery thread
  // would: a capture that called the host with its lock held blocks it.
  std::vector<std::future<SatPosition>> pending;
  run.Host.OnMessage = [&] {
    pending.push_back(std::async(std::launch::async, [&] { return run.Capture.Position(); }));
    EXPECT_EQ(pending.back().wait_for(std::chrono::seconds(5)), std::future_status::ready)
        << "host called with the capture locked";
  };

  run.Capture.StartSearch();
  EXPECT_EQ(run.Host.Messages, (std::vector<std::string>{"stop", "start"}));
  EXPECT_FALSE(run.Capture.SearchDone());

  // Half a table, then a stop: the next search does not finish it.
  DeliverAsHost(run.Capture, {layout.Packets.begin(), layout.Packets.begin() + 3});
  run.Host.Messages.clear();
  run.Capture.StopSearch();
  EXPECT_EQ(run.Host.Messages, std::vector<std::string>{"stop"});
  EXPECT_TRUE(run.Capture.SearchDone());
  EXPECT_EQ(pending.size(), 3u);

  run.Capture.StartSearch();
  DeliverAsHost(run.Capture, {layout.Packets.begin() + 3, layout.Packets.begin() + 6});
  EXPECT_FALSE(run.Capture.SearchDone());
  EXPECT_TRUE(run.Sink.Entries.empty());
}

}  // namespace
}  // namespace velq
