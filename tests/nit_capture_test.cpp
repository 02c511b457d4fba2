#include "search/nit_capture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <future>
#include <limits>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "search/nit_section_start.h"
#include "search/parser_results.h"
#include "tests/support/nit_builder.h"
#include "tests/support/recording_nit_sink.h"

namespace velq {
namespace {

using Bytes = std::vector<std::uint8_t>;

// A payload that begins a NIT actual section (its header cut to `size`
// bytes when shorter); the rest is stuffing.
Bytes SectionStart(int sectionLength, int sectionNumber, int lastSectionNumber,
                   std::size_t size = 184) {
  Bytes payload(size, 0xFF);
  const std::uint8_t header[9] = {0x00, 0x40, static_cast<std::uint8_t>(0xF0 | sectionLength >> 8),
                                  static_cast<std::uint8_t>(sectionLength), 0x00, 0x01, 0xC1,
                                  static_cast<std::uint8_t>(sectionNumber),
                                  static_cast<std::uint8_t>(lastSectionNumber)};
  std::copy_n(header, std::min<std::size_t>(9, size), payload.begin());  // may be cut short
  return payload;
}

Bytes Continuation(std::size_t size = 184) { return Bytes(size, 0xFF); }

Bytes With(Bytes bytes, std::size_t offset, std::uint8_t value) {
  bytes[offset] = value;
  return bytes;
}

// Transponders 10 MHz apart, so each gives a distinct entry.
std::vector<Transponder> Transponders(int count, std::uint32_t firstKhz) {
  std::vector<Transponder> list;
  for (int i = 0; i < count; ++i) {
    list.push_back({.FrequencyKhz = firstKhz + 10000u * static_cast<std::uint32_t>(i),
                    .PositionTenths = 192,
                    .SymbolRate = 27500000});
  }
  return list;
}

std::vector<std::string> EntriesOf(const std::vector<Transponder>& list) {
  std::vector<std::string> entries;
  for (const Transponder& t : list) {
    entries.push_back(std::to_string(t.FrequencyKhz / 1000) + ",H,27500,34,DVB-S,QPSK");
  }
  return entries;
}

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

struct CaptureFixture {
  LoggingHost Host;
  RecordingNitSink Sink;
  NitCapture Capture{Host, Sink, '.'};

  void Deliver(const Bytes& bytes) {
    Capture.Deliver(static_cast<std::int32_t>(bytes.size()), bytes.data());
  }
  void Deliver(const std::vector<TsPayload>& payloads) {
    for (const TsPayload& p : payloads) Capture.Deliver(184, p.data());
  }
  void StartWaiting() {
    Capture.StartSearch();
    Host.Messages.clear();
  }
  NitCaptureCounters Counters() const { return Capture.Counters(); }
};

TEST(RoundSectionLength, FollowsTheRoundingTable) {
  const std::pair<int, int> cases[] = {
      {0, 0},      {1, 184},    {183, 184},   {184, 184},   {185, 368},   {367, 368},
      {368, 368},  {369, 552},  {552, 552},   {553, 736},   {736, 736},   {737, 920},
      {920, 920},  {921, 1104}, {1104, 1104}, {1105, 1288}, {1287, 1288}, {1288, 1288},
      {1289, 1289}, {4095, 4095},
  };
  for (const auto& [length, rounded] : cases) {
    EXPECT_EQ(RoundSectionLength(length), rounded) << length;
  }
}

TEST(NitCapture, WorkedExampleOneSectionOfLength500) {
  const std::vector<Transponder> list = Transponders(25, 10700000);
  const SectionBytes section = BuildNitSection({.NetworkName = "Velq Sat A", .Transponders = list});
  ASSERT_EQ(section.size(), 503u);  // section_length 500
  const std::vector<TsPayload> payloads = SectionsToPayloads({section});
  ASSERT_EQ(payloads.size(), 3u);

  CaptureFixture f;
  f.StartWaiting();
  f.Deliver({payloads[0]});
  NitCaptureCounters c = f.Counters();
  EXPECT_EQ(c.NitSectionLen, 552);
  EXPECT_EQ(c.NitSectionsSeen, 1);
  EXPECT_EQ(c.NitExpectedBytes, 552);
  EXPECT_EQ(c.StreamPosition, 184);
  f.Deliver({payloads[1]});
  EXPECT_EQ(f.Counters().StreamPosition, 368);
  EXPECT_FALSE(f.Capture.SearchDone());

  f.Deliver({payloads[2]});
  EXPECT_TRUE(f.Capture.SearchDone());
  EXPECT_EQ(f.Counters().NitSectionLen, 0);
  EXPECT_EQ(f.Sink.Entries, EntriesOf(list));
  EXPECT_EQ(f.Capture.Position().SatPositionCode, "0192");

  f.Deliver({payloads[0]});  // a new first-section start restarts the count
  c = f.Counters();
  EXPECT_EQ(c.NitSectionsSeen, 1);
  EXPECT_EQ(c.StreamPosition, 184);
}

TEST(NitCapture, TwoSectionsCompleteWhenBothStartsAndAllBytesAreIn) {
  const std::vector<Transponder> first = Transponders(50, 10700000);
  const std::vector<Transponder> second = Transponders(14, 12000000);
  const std::vector<SectionBytes> sections = {
      BuildNitSection({.LastSectionNumber = 1, .NetworkName = std::string(35, 'n'),
                       .Transponders = first}),
      BuildNitSection({.SectionNumber = 1, .LastSectionNumber = 1,
                       .NetworkName = std::string(19, 'n'), .Transponders = second}),
  };
  ASSERT_EQ(sections[0].size(), 1003u);  // section_length 1000
  ASSERT_EQ(sections[1].size(), 303u);   // section_length 300
  const std::vector<TsPayload> payloads = SectionsToPayloads(sections);
  ASSERT_EQ(payloads.size(), 8u);

  CaptureFixture f;
  f.StartWaiting();
  f.Deliver(std::vector<TsPayload>(payloads.begin(), payloads.end() - 1));
  EXPECT_EQ(f.Counters().NitExpectedBytes, 1104 + 368);
  EXPECT_FALSE(f.Capture.SearchDone());
  EXPECT_TRUE(f.Sink.Entries.empty());

  f.Deliver({payloads.back()});
  EXPECT_TRUE(f.Capture.SearchDone());
  std::vector<std::string> expected = EntriesOf(first);
  const std::vector<std::string> more = EntriesOf(second);
  expected.insert(expected.end(), more.begin(), more.end());
  EXPECT_EQ(f.Sink.Entries, expected);
}

TEST(NitCapture, ResetRules) {
  const Bytes startOf3 = SectionStart(100, 3, 9);
  const struct {
    const char* why;
    int primeLength;  // section_length of a primer that starts section 1
    std::size_t primeSize;
    Bytes probe;
    bool resets, counted;
  } cases[] = {
      {"1a: 4095 means no section, Len - 1 <= P", 4095, 184, Continuation(184), true, false},
      {"1a: unstored Len 185 still fits", 4095, 184, Continuation(185), true, false},
      {"1a: Len 186 does not fit", 4095, 184, Continuation(186), false, false},
      {"1a: length 0 means no section", 0, 184, Continuation(184), true, false},
      {"1a: Len 0 at position 0", 0, 552, Bytes{}, true, false},
      {"1a: Len 1 at position 0", 0, 552, Continuation(1), true, false},
      {"1a: Len 2 at position 0", 0, 552, Continuation(2), false, false},
      {"section under way", 500, 184, Continuation(184), false, false},
      {"a start-like payload inside the section under way", 500, 184, startOf3, false, false},
      {"1c: first-section start", 100, 184, SectionStart(100, 0, 9), true, true},
      {"a later section start", 100, 184, startOf3, false, true},
      {"pointer_field not 0", 100, 184, With(startOf3, 0, 0x01), false, false},
      {"table 0x41", 100, 184, With(startOf3, 1, 0x41), false, false},
      {"next table", 100, 184, With(startOf3, 6, 0xC0), false, false},
      {"8-byte start", 100, 184, SectionStart(100, 0, 9, 8), false, false},
      {"9-byte start", 100, 184, SectionStart(100, 3, 9, 9), false, true},
  };
  for (const auto& c : cases) {
    CaptureFixture f;
    f.Deliver(SectionStart(c.primeLength, 1, 9, c.primeSize));
    ASSERT_EQ(f.Counters().NitSectionsSeen, 1) << c.why;
    f.Deliver(c.probe);
    EXPECT_EQ(f.Counters().NitSectionsSeen, (c.resets ? 0 : 1) + (c.counted ? 1 : 0)) << c.why;
    EXPECT_EQ(f.Counters().NitLastSectionNo, 9) << c.why;  // never reset
  }
}

TEST(NitCapture, ResetsOncePositionReaches8191) {
  CaptureFixture f;
  f.Deliver(SectionStart(4000, 1, 9));
  for (int i = 0; i < 44; ++i) f.Deliver(Continuation());
  EXPECT_EQ(f.Counters().StreamPosition, 45 * 184);  // 8280
  EXPECT_EQ(f.Counters().NitSectionsSeen, 1);
  f.Deliver(Continuation());
  EXPECT_EQ(f.Counters().NitSectionsSeen, 0);
  EXPECT_EQ(f.Counters().StreamPosition, 184);
  EXPECT_EQ(f.Counters().NitSectionLen, 4000);
}

TEST(NitCapture, ASectionSpillingIntoOneMorePayloadWaitsForIt) {
  // section_length 182: with its 4 leading bytes, 186 bytes in two payloads.
  const std::pair<std::int32_t, std::int32_t> cases[] = {
      {180, 184}, {181, 368}, {182, 368}, {184, 368}, {364, 368}, {365, 552}, {1289, 1472}};
  for (const auto& [sectionLength, expected] : cases) {
    CaptureFixture f;
    f.StartWaiting();
    f.Deliver(SectionStart(sectionLength, 0, 0));
    EXPECT_EQ(f.Counters().NitExpectedBytes, expected) << sectionLength;
  }

  // A real table whose one section ends in the first bytes of a second
  // payload: the last transponder's CRC-covered bytes must not be lost.
  NitTable table;
  table.Transponders = Transponders(3, 10700000);
  auto spills = [](const std::vector<SectionBytes>& sections) {
    const std::size_t bytes = sections[0].size() + 1;  // with the pointer field
    return bytes > 184 && bytes <= 188;
  };
  while (!spills(BuildNitSections(table))) table.NetworkName += 'x';
  CaptureFixture f;
  f.StartWaiting();
  const auto payloads = SectionsToPayloads(BuildNitSections(table));
  ASSERT_EQ(payloads.size(), 2u);
  f.Deliver(std::vector<TsPayload>{payloads[0]});
  EXPECT_FALSE(f.Capture.SearchDone());  // one payload is not the whole section
  f.Deliver(std::vector<TsPayload>{payloads[1]});
  ASSERT_TRUE(f.Capture.SearchDone());
  EXPECT_EQ(f.Sink.Entries, EntriesOf(table.Transponders));
}

TEST(NitCapture, AContinuationThatReadsLikeASectionHeaderIsNotOne) {
  // Section 0's CRC 00 40 B7 77 spilling into a payload of stuffing.
  Bytes spill = Continuation();
  const std::uint8_t crc[4] = {0x00, 0x40, 0xB7, 0x77};
  std::copy_n(crc, 4, spill.begin());
  CaptureFixture f;
  f.StartWaiting();
  for (int round = 0; round < 3; ++round) {
    f.Deliver(SectionStart(184, 0, 1));
    f.Deliver(spill);
    f.Deliver(SectionStart(100, 1, 1));
  }
  EXPECT_TRUE(f.Capture.SearchDone());
}

TEST(NitCapture, ASectionOf184BytesDoesNotEndTheTableEarly) {
  const std::vector<Transponder> first = Transponders(9, 10700000);    // section_length 184
  const std::vector<Transponder> second = Transponders(12, 11700000);  // section_length 241
  const std::vector<SectionBytes> sections = {
      BuildNitSection({.LastSectionNumber = 1, .Transponders = first}),
      BuildNitSection({.SectionNumber = 1, .LastSectionNumber = 1, .Transponders = second})};
  CaptureFixture f;
  f.StartWaiting();
  f.Deliver(SectionsToPayloads(sections));
  std::vector<std::string> expected = EntriesOf(first);
  for (const std::string& e : EntriesOf(second)) expected.push_back(e);
  EXPECT_EQ(f.Sink.Entries, expected);
}

TEST(NitCapture, OnlyWholePayloadRunsAreStored) {
  const std::pair<std::size_t, std::int64_t> cases[] = {
      {184, 184}, {368, 368}, {920, 920}, {552, 0}, {736, 0}, {1104, 0}, {1288, 0}, {183, 0}};
  for (const auto& [size, stored] : cases) {
    CaptureFixture f;
    f.StartWaiting();
    f.Deliver(SectionStart(300, 0, 0, size));
    const NitCaptureCounters c = f.Counters();
    EXPECT_EQ(c.NitSectionsSeen, 1) << size;  // counted whether stored or not
    EXPECT_EQ(c.NitExpectedBytes, 368) << size;
    EXPECT_EQ(c.StreamPosition, stored) << size;
  }
}

TEST(NitCapture, FirstSectionStartRestartsTheCount) {
  CaptureFixture f;
  f.StartWaiting();
  f.Deliver(SectionStart(100, 1, 2));
  f.Deliver(SectionStart(100, 0, 2));
  EXPECT_EQ(f.Counters().NitSectionsSeen, 1);
  EXPECT_EQ(f.Counters().NitExpectedBytes, 184);

  // Sections 0 and 1 of three, repeated: each section 0 starts over.
  for (int round = 0; round < 5; ++round) {
    f.Deliver(SectionStart(100, 0, 2));
    f.Deliver(SectionStart(100, 1, 2));
  }
  EXPECT_EQ(f.Counters().NitSectionsSeen, 2);
  EXPECT_FALSE(f.Capture.SearchDone());
}

TEST(NitCapture, ParsesOncePerSearchAndCopiesWhileIdle) {
  const std::vector<Transponder> list = Transponders(3, 11000000);
  const std::vector<Transponder> other = Transponders(3, 12000000);
  const auto payloads = SectionsToPayloads({BuildNitSection({.Transponders = list})});
  const auto otherPayloads = SectionsToPayloads({BuildNitSection({.Transponders = other})});

  CaptureFixture f;
  f.Deliver(payloads);  // idle from construction: copied, not parsed
  EXPECT_TRUE(f.Sink.Entries.empty());
  EXPECT_EQ(f.Capture.NitBuffer()[1], 0x40);

  f.StartWaiting();
  f.Deliver(payloads);
  f.Deliver(payloads);
  f.Deliver(otherPayloads);
  EXPECT_EQ(f.Sink.Entries, EntriesOf(list));
  const NitBufferBytes buffer = f.Capture.NitBuffer();
  EXPECT_TRUE(std::equal(otherPayloads[0].begin(), otherPayloads[0].end(), buffer.begin()));

  f.StartWaiting();
  f.Deliver(otherPayloads);
  std::vector<std::string> expected = EntriesOf(list);
  for (const std::string& e : EntriesOf(other)) expected.push_back(e);
  EXPECT_EQ(f.Sink.Entries, expected);
}

// The window's timer polls SearchDone and takes the queued results; a parse
// that ends between those two steps must not finish the search without its
// last entries. The poll is run tick by tick with the parse ending inside it.
TEST(NitCapture, APollSeesEveryEntryOfTheParseThatFinishedIt) {
  const std::vector<Transponder> list = Transponders(4, 11000000);
  const auto payloads = SectionsToPayloads({BuildNitSection({.Transponders = list})});
  LoggingHost host;
  ParserResultQueue queue;
  NitCapture capture(host, queue, '.');
  capture.StartSearch();
  for (std::size_t i = 0; i + 1 < payloads.size(); ++i) capture.Deliver(184, payloads[i].data());

  bool lastDelivered = false;
  auto takeThenFinishParse = [&] {
    std::vector<ParserResult> taken = queue.Take();
    if (!lastDelivered) capture.Deliver(184, payloads.back().data());
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
  EXPECT_EQ(shown, EntriesOf(list));
  EXPECT_TRUE(queue.Take().empty());
}

TEST(NitCapture, OlderBytesBeyondTheTableAreNotParsed) {
  const std::vector<Transponder> older = Transponders(60, 10700000);
  const std::vector<Transponder> current = Transponders(3, 12000000);
  CaptureFixture f;
  f.StartWaiting();
  // Announced as two sections, only one arrives: never complete.
  f.Deliver(SectionsToPayloads({BuildNitSection({.LastSectionNumber = 1, .Transponders = older})}));
  ASSERT_GT(f.Counters().StreamSize, 1000);
  f.Deliver(SectionsToPayloads({BuildNitSection({.Transponders = current})}));
  EXPECT_EQ(f.Sink.Entries, EntriesOf(current));
  const NitBufferBytes buffer = f.Capture.NitBuffer();
  EXPECT_EQ(std::count(buffer.begin() + 184, buffer.end(), 0), kNitBufferSize - 184);
}

TEST(NitCapture, StreamLongerThanTheBufferGivesItsFirst8193Bytes) {
  const auto descriptor = EncodeSatelliteDescriptor(Transponders(1, 11727500)[0]);
  const auto beyond = EncodeSatelliteDescriptor(Transponders(1, 12500000)[0]);
  std::vector<Bytes> deliveries;
  for (int i = 0; i < 9; ++i) {
    // Section 0 fills deliveries 0-3 exactly; section 1 starts in delivery 4.
    deliveries.push_back(i == 0 ? SectionStart(3600, 0, 1, 920)
                         : i == 4 ? SectionStart(4000, 1, 1, 920)
                                  : Continuation(920));
  }
  std::copy(descriptor.begin(), descriptor.end(), deliveries[0].begin() + 20);
  std::copy(beyond.begin(), beyond.end(), deliveries[8].begin() + (8200 - 8 * 920));

  CaptureFixture f;
  f.StartWaiting();
  Bytes stream;
  for (const Bytes& d : deliveries) {
    f.Deliver(d);
    stream.insert(stream.end(), d.begin(), d.end());
  }
  ASSERT_EQ(f.Counters().StreamPosition, 8280);
  const NitBufferBytes buffer = f.Capture.NitBuffer();
  EXPECT_TRUE(std::equal(buffer.begin(), buffer.end(), stream.begin()));
  EXPECT_EQ(f.Sink.Entries, std::vector<std::string>{"11727,H,27500,34,DVB-S,QPSK"});
}

TEST(NitCapture, DeliveriesWithoutBytesAreHarmless) {
  CaptureFixture f;
  f.StartWaiting();
  const Bytes start = SectionStart(100, 0, 0);
  f.Capture.Deliver(184, nullptr);
  f.Capture.Deliver(-5, start.data());
  f.Capture.Deliver(std::numeric_limits<std::int32_t>::min(), start.data());
  EXPECT_EQ(f.Counters().StreamPosition, 0);
  EXPECT_EQ(f.Counters().NitSectionsSeen, 0);
  EXPECT_FALSE(f.Capture.SearchDone());
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
  const SectionBytes section = BuildNitSection({.Transponders = Transponders(2, 11000000)});
  for (const TsPayload& p : SectionsToPayloads({section})) capture.Deliver(184, p.data());
  EXPECT_TRUE(capture.SearchDone());
  EXPECT_EQ(capture.Position().SatPositionCode, "0192");
}

TEST(NitCapture, StartAndStopSearchResetInOrderWithoutHoldingTheLock) {
  CaptureFixture f;
  f.StartWaiting();
  f.Deliver(SectionStart(500, 0, 3));
  // The host reads the capture from its own thread, as its delivery thread
  // would: a capture that called the host with its lock held blocks it.
  std::vector<std::future<NitCaptureCounters>> pending;
  f.Host.OnMessage = [&] {
    pending.push_back(std::async(std::launch::async, [&] { return f.Capture.Counters(); }));
    EXPECT_EQ(pending.back().wait_for(std::chrono::seconds(5)), std::future_status::ready)
        << "host called with the capture locked";
  };

  f.Capture.StartSearch();
  EXPECT_EQ(f.Host.Messages, (std::vector<std::string>{"stop", "start"}));
  ASSERT_EQ(pending.size(), 2u);
  const NitCaptureCounters atMessage[2] = {pending[0].get(), pending[1].get()};
  EXPECT_EQ(atMessage[0].NitSectionsSeen, 0);
  EXPECT_EQ(atMessage[0].NitExpectedBytes, 552);  // zeroed only after the start
  EXPECT_EQ(atMessage[0].StreamPosition, 184);
  EXPECT_EQ(atMessage[1].StreamSize, 8192);
  EXPECT_EQ(atMessage[1].StreamPosition, 0);
  NitCaptureCounters c = f.Counters();
  EXPECT_FALSE(f.Capture.SearchDone());
  EXPECT_EQ(c.NitExpectedBytes, 0);
  EXPECT_EQ(c.StreamSize, 0);
  EXPECT_EQ(c.NitSectionLen, 552);  // carried over
  EXPECT_EQ(c.NitLastSectionNo, 3);

  f.Deliver(SectionStart(500, 0, 3));
  f.Host.Messages.clear();
  f.Capture.StopSearch();
  ASSERT_EQ(pending.size(), 3u);
  EXPECT_EQ(f.Host.Messages, std::vector<std::string>{"stop"});
  c = f.Counters();
  EXPECT_TRUE(f.Capture.SearchDone());
  EXPECT_EQ(c.NitSectionsSeen, 0);
  EXPECT_EQ(c.NitExpectedBytes, 0);
  EXPECT_EQ(c.NitSectionLen, 552);
}

// Like a real host: delivers from a thread of its own, and answers a stop by
// joining that thread.
class ThreadedHost : public NitFilterHost {
 public:
  explicit ThreadedHost(std::vector<TsPayload> payloads) : payloads_(std::move(payloads)) {}
  ~ThreadedHost() override { Join(); }
  NitCapture* Capture = nullptr;

  void SendStartFilter() override {
    Join();
    running_ = true;
    thread_ = std::thread([this] {
      for (std::size_t i = 0; running_; ++i) {
        Capture->Deliver(184, payloads_[i % payloads_.size()].data());
      }
    });
  }
  void SendStopFilter() override { Join(); }

 private:
  void Join() {
    running_ = false;
    if (thread_.joinable()) thread_.join();
  }
  std::vector<TsPayload> payloads_;
  std::atomic<bool> running_{false};
  std::thread thread_;
};

TEST(NitCapture, SearchesAgainstAHostDeliveringOnItsOwnThread) {
  const std::vector<Transponder> list = Transponders(40, 10700000);
  ThreadedHost host(SectionsToPayloads(BuildNitSections({.Transponders = list,
                                                         .TranspondersPerSection = 16})));
  RecordingNitSink sink;
  NitCapture capture(host, sink, '.');
  host.Capture = &capture;

  for (std::size_t round = 1; round <= 4; ++round) {
    capture.StartSearch();  // stops the running delivery thread first
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!capture.SearchDone() && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ASSERT_TRUE(capture.SearchDone()) << "round " << round;
    if (round % 2 == 0) capture.StopNitFilter();
    EXPECT_EQ(sink.Entries.size(), round * list.size());
  }
  capture.StopSearch();
}

}  // namespace
}  // namespace velq
