// The two steps under the capture: payloads to checked sections
// (SectionSplitter) and sections to one complete table (NitTableCollector).
// Whole layouts are run through the capture in nit_capture_test.cpp; these
// are the corners the layouts do not reach.

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "search/nit_table_collector.h"
#include "search/psi_section_splitter.h"
#include "tools/nit_builder/crc32.h"
#include "tools/nit_builder/nit_builder.h"

namespace velq {
namespace {

using Bytes = std::vector<std::uint8_t>;

struct SectionSpec {
  std::uint8_t TableId = 0x40;
  std::uint8_t Number = 0;
  std::size_t Size = 100;  // header and CRC included
  bool CurrentNext = true;
  bool GoodCrc = true;
};

// A long-syntax private section whose body is its number repeated.
Bytes Section(const SectionSpec& spec) {
  Bytes s(spec.Size, spec.Number);
  const std::size_t length = spec.Size - 3;
  s[0] = spec.TableId;
  s[1] = static_cast<std::uint8_t>(0xB0 | length >> 8);
  s[2] = static_cast<std::uint8_t>(length);
  s[3] = 0x00;
  s[4] = 0x01;
  s[5] = spec.CurrentNext ? 0xC1 : 0xC0;
  s[6] = spec.Number;
  s[7] = 0xFF;
  const std::uint32_t crc = Mpeg2Crc32(std::span(s).first(s.size() - 4)) ^ (spec.GoodCrc ? 0u : 1u);
  for (int i = 0; i < 4; ++i) s[s.size() - 4 + i] = static_cast<std::uint8_t>(crc >> (24 - 8 * i));
  return s;
}

// Runs the packets through a splitter, knowing starts or not, and tells
// which sections came out (by their section_number).
std::vector<int> Split(const std::vector<TsPacket>& packets, bool knowingStarts) {
  std::vector<int> out;
  SectionSplitter splitter([&](std::span<const std::uint8_t> s) { out.push_back(s[6]); });
  for (const TsPacket& packet : packets) {
    const Bytes payload = PacketPayload(packet);
    const bool unitStart = (packet[1] & 0x40) != 0;
    splitter.Push(payload, !knowingStarts ? PayloadStart::kUnknown
                           : unitStart    ? PayloadStart::kUnitStart
                                          : PayloadStart::kContinuation);
  }
  return out;
}

TEST(SectionSplitter, FindsEachGoodSectionOnceWhereverItStarts) {
  const struct {
    const char* name;
    std::vector<Bytes> sections;  // packed back to back
    std::vector<int> expected;
  } cases[] = {
      // A header cut after one or two bytes by the payload's end.
      {"header split 1|2", {Section({.Number = 1, .Size = 182}), Section({.Number = 2})}, {1, 2}},
      {"header split 2|1", {Section({.Number = 1, .Size = 181}), Section({.Number = 2})}, {1, 2}},
      {"ends with the payload", {Section({.Number = 1, .Size = 183}), Section({.Number = 2})}, {1, 2}},
      {"checks fail",
       {Section({.Number = 1, .GoodCrc = false}), Section({.Number = 2, .CurrentNext = false}),
        Section({.Number = 3, .Size = 11}), Section({.Number = 4})},
       {4}},
      {"stuffing of every size",
       {BuildStuffingSection(3), Section({.Number = 1}), BuildStuffingSection(184), Section({.Number = 2}),
        BuildStuffingSection(4096), Section({.Number = 3})},
       {1, 2, 3}},
      {"largest and smallest", {Section({.Number = 1, .Size = 4096}), Section({.Number = 2, .Size = 12})},
       {1, 2}},
      {"many in one payload",
       {Section({.Number = 1, .Size = 12}), Section({.Number = 2, .Size = 12}), Section({.Number = 3, .Size = 12}),
        Section({.TableId = 0x41, .Number = 4, .Size = 12})},
       {1, 2, 3, 4}},
  };
  for (const auto& c : cases) {
    SectionCarrier carrier;
    carrier.Pack(c.sections);
    const std::vector<TsPacket> packets = carrier.Take();
    EXPECT_EQ(Split(packets, true), c.expected) << c.name;
    EXPECT_EQ(Split(packets, false), c.expected) << c.name << ", inferred";
  }
}

// Payloads that are not what they claim to be give nothing and do not keep
// the next good section out.
TEST(SectionSplitter, JunkIsDroppedAndTheNextSectionStillComes) {
  const Bytes good = Section({.Number = 7, .Size = 300});
  const Bytes empty;
  const Bytes pointerPastEnd = {0xB7, 0x40, 0xB0};
  const Bytes tooLong = {0x00, 0x40, 0xBF, 0xFF, 0x00};
  const Bytes zeros(184, 0x00);
  const Bytes ones(184, 0xFF);
  for (const bool knowingStarts : {true, false}) {
    std::vector<int> out;
    SectionSplitter splitter([&](std::span<const std::uint8_t> s) { out.push_back(s[6]); });
    const PayloadStart start = knowingStarts ? PayloadStart::kUnitStart : PayloadStart::kUnknown;
    for (const Bytes& junk : {empty, pointerPastEnd, tooLong, zeros, ones}) splitter.Push(junk, start);
    // A section cut off by a lost packet, then a start of the same kind.
    SectionCarrier carrier;
    carrier.Pack(good);
    carrier.EndPayload();
    carrier.Pack(good);
    const std::vector<TsPacket> packets = carrier.Take();
    splitter.Push(PacketPayload(packets[0]), start);
    if (knowingStarts) splitter.Discontinuity();
    for (std::size_t i = 2; i < packets.size(); ++i) {
      const bool unitStart = (packets[i][1] & 0x40) != 0;
      splitter.Push(PacketPayload(packets[i]), !knowingStarts ? PayloadStart::kUnknown
                                               : unitStart    ? PayloadStart::kUnitStart
                                                              : PayloadStart::kContinuation);
    }
    EXPECT_EQ(out, std::vector<int>{7}) << (knowingStarts ? "known" : "inferred");
  }
}

TEST(NitTableCollector, CompletesOneVersionOfOneNetwork) {
  struct Add {
    std::uint8_t tableId, number, last;
    std::uint16_t network = 1;
    std::uint8_t version = 0;
    const char* name = "";  // other network names: other contents
  };
  const struct {
    const char* name;
    std::vector<Add> adds;
    std::optional<std::size_t> completedBy;  // index of the add that completed it
    std::uint8_t version = 0;
  } cases[] = {
      {"in order", {{0x40, 0, 2}, {0x40, 1, 2}, {0x40, 2, 2}}, 2},
      {"any order, repeats", {{0x40, 2, 2}, {0x40, 2, 2}, {0x40, 0, 2}, {0x40, 1, 2}, {0x40, 1, 2}}, 3},
      {"other tables ignored", {{0x41, 0, 0}, {0x72, 0, 0}, {0x40, 0, 1}, {0x41, 1, 1}, {0x40, 1, 1}}, 4},
      {"version change restarts",
       {{0x40, 0, 2, 1, 3}, {0x40, 1, 2, 1, 3}, {0x40, 2, 2, 1, 4}, {0x40, 0, 2, 1, 4}, {0x40, 1, 2, 1, 4}},
       4,
       4},
      {"network change restarts", {{0x40, 0, 1, 1}, {0x40, 1, 1, 2}, {0x40, 0, 1, 2}}, 2},
      {"last_section_number change restarts", {{0x40, 0, 1}, {0x40, 1, 2}, {0x40, 0, 2}, {0x40, 2, 2}}, 3},
      {"same number, other contents restarts",
       {{0x40, 0, 2}, {0x40, 1, 2}, {0x40, 1, 2, 1, 0, "x"}, {0x40, 2, 2}, {0x40, 0, 2}},
       4},
      {"number above last ignored", {{0x40, 0, 1}, {0x40, 2, 1}}, std::nullopt},
      {"256 sections", {}, 255},
  };
  for (const auto& c : cases) {
    std::vector<Add> adds = c.adds;
    if (adds.empty()) {
      for (int n = 255; n >= 0; --n) adds.push_back({0x40, static_cast<std::uint8_t>(n), 255});
    }
    NitTableCollector collector;
    std::optional<std::size_t> completedBy;
    for (std::size_t i = 0; i < adds.size(); ++i) {
      NitSection s{.TableId = adds[i].tableId, .NetworkId = adds[i].network, .Version = adds[i].version,
                   .SectionNumber = adds[i].number, .LastSectionNumber = adds[i].last,
                   .NetworkName = adds[i].name};
      if (collector.Add(BuildNitSection(s))) {
        EXPECT_FALSE(completedBy) << c.name;
        completedBy = i;
      }
    }
    EXPECT_EQ(completedBy, c.completedBy) << c.name;
    if (!completedBy) continue;
    EXPECT_EQ(collector.Version(), c.version) << c.name;
    for (std::size_t n = 0; n < collector.Sections().size(); ++n) {
      EXPECT_EQ(collector.Sections()[n][6], n) << c.name;
      EXPECT_EQ(collector.Sections()[n][5] >> 1 & 0x1F, c.version) << c.name;
    }
  }
}

}  // namespace
}  // namespace velq
