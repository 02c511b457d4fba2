#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "search/nit_table_collector.h"
#include "search/psi_section_splitter.h"
#include "tools/nit_builder/crc32.h"
#include "tools/nit_builder/nit_builder.h"

namespace velq {
namespace {

using Bytes = std::vector<std::uint8_t>;
constexpr int kBadCrc = 1, kNotCurrent = 2;

// A long-syntax section of `size` bytes, its body the section_number.
Bytes Section(std::uint8_t number, std::size_t size = 100, int flaws = 0) {
  Bytes s(size, number);
  s[0] = 0x40;
  s[1] = static_cast<std::uint8_t>(0xB0 | (size - 3) >> 8);
  s[2] = static_cast<std::uint8_t>(size - 3);
  s[5] = (flaws & kNotCurrent) ? 0xC0 : 0xC1;
  const std::uint32_t crc = Mpeg2Crc32(std::span(s).first(size - 4)) ^ (flaws & kBadCrc);
  for (int i = 0; i < 4; ++i) s[size - 4 + i] = static_cast<std::uint8_t>(crc >> (24 - 8 * i));
  return s;
}

// The sections packed back to back, packet `drop` lost, through a splitter
// after some junk: the section_numbers that come out.
std::vector<int> Split(const std::vector<Bytes>& sections, std::size_t drop, bool knowingStarts) {
  std::vector<int> out;
  SectionSplitter splitter([&](std::span<const std::uint8_t> s) { out.push_back(s[6]); });
  const auto push = [&](std::span<const std::uint8_t> payload, bool unitStart) {
    splitter.Push(payload, !knowingStarts ? PayloadStart::kUnknown
                           : unitStart    ? PayloadStart::kUnitStart
                                          : PayloadStart::kContinuation);
  };
  // None, a pointer_field past the end, a section too long, zeros, 0xFF.
  for (const Bytes& junk :
       {Bytes{}, {0xB7, 0x40, 0xB0}, {0x00, 0x40, 0xBF, 0xFF, 0x00}, Bytes(184, 0x00), Bytes(184, 0xFF)})
    push(junk, true);
  SectionCarrier carrier;
  carrier.Pack(sections);
  const std::vector<TsPacket> packets = carrier.Take();
  for (std::size_t i = 0; i < packets.size(); ++i) {
    if (i != drop) push(PacketPayload(packets[i]), (packets[i][1] & 0x40) != 0);
    if (i == drop && knowingStarts) splitter.Discontinuity();
  }
  return out;
}

TEST(Mpeg2Crc32, MatchesTheCheckValueAndClosesSections) {
  const Bytes check = {'1', '2', '3', '4', '5', '6', '7', '8', '9'};
  EXPECT_EQ(Mpeg2Crc32(check), 0x0376E6E7u);
  EXPECT_EQ(Mpeg2Crc32(Section(1)), 0u);
}

TEST(SectionSplitter, GivesEachGoodSectionOnceWhereverItStarts) {
  constexpr std::size_t kNone = ~std::size_t{0};
  const struct {
    const char* name;
    std::vector<Bytes> sections;
    std::vector<int> expected;
    std::size_t drop = kNone;
  } cases[] = {
      // A header cut after one or two bytes by the payload's end.
      {"header split 1|2", {Section(1, 182), Section(2)}, {1, 2}},
      {"header split 2|1", {Section(1, 181), Section(2)}, {1, 2}},
      {"ends with the payload", {Section(1, 183), Section(2)}, {1, 2}},
      {"checks fail", {Section(1, 100, kBadCrc), Section(2, 100, kNotCurrent), Section(3, 11), Section(4)}, {4}},
      {"stuffing of every size",
       {BuildStuffingSection(3), Section(1), BuildStuffingSection(184), Section(2), BuildStuffingSection(4096),
        Section(3)},
       {1, 2, 3}},
      {"largest and smallest", {Section(1, 4096), Section(2, 12)}, {1, 2}},
      {"many in one payload", {Section(1, 12), Section(2, 12), Section(3, 12), Section(4, 12)}, {1, 2, 3, 4}},
      // A lost packet costs the section it was in, no other.
      {"packet lost", {Section(1, 300), Section(2, 300), Section(3)}, {1, 3}, 2},
      {"joined inside a section", {Section(1, 300), Section(2)}, {2}, 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Split(c.sections, c.drop, true), c.expected) << c.name;
    EXPECT_EQ(Split(c.sections, c.drop, false), c.expected) << c.name << ", inferred";
  }
}

TEST(NitTableCollector, CompletesOneVersionOfOneNetwork) {
  struct Add {
    std::uint8_t tableId, number, last;
    std::uint16_t network = 1;
    std::uint8_t version = 0;
    const char* name = "";  // other names: other contents
  };
  const struct {
    const char* name;
    std::vector<Add> adds;
    std::optional<std::size_t> completedBy;  // index of the add that completed it
    int version = 0;
  } cases[] = {
      {"in order", {{0x40, 0, 2}, {0x40, 1, 2}, {0x40, 2, 2}}, 2},
      // A held section sent again is no restart: else this never completes.
      {"any order, repeats", {{0x40, 1, 2}, {0x40, 0, 2}, {0x40, 1, 2}, {0x40, 2, 2}, {0x40, 2, 2}, {0x40, 0, 2}}, 3},
      {"other tables ignored", {{0x41, 0, 0}, {0x72, 0, 0}, {0x40, 0, 1}, {0x41, 1, 1}, {0x40, 1, 1}}, 4},
      {"version change restarts",
       {{0x40, 0, 2, 1, 3}, {0x40, 1, 2, 1, 3}, {0x40, 2, 2, 1, 4}, {0x40, 0, 2, 1, 4}, {0x40, 1, 2, 1, 4}}, 4, 4},
      {"network change restarts", {{0x40, 0, 1, 1}, {0x40, 1, 1, 2}, {0x40, 0, 1, 2}}, 2},
      {"last_section_number change restarts", {{0x40, 0, 1}, {0x40, 1, 2}, {0x40, 0, 2}, {0x40, 2, 2}}, 3},
      {"same number, other contents restarts",
       {{0x40, 0, 2}, {0x40, 1, 2}, {0x40, 1, 2, 1, 0, "x"}, {0x40, 2, 2}, {0x40, 0, 2}}, 4},
      {"number above last ignored", {{0x40, 0, 1}, {0x40, 2, 1}}, std::nullopt},
      {"256 sections", {}, 255},
  };
  for (const auto& c : cases) {
    std::vector<Add> adds = c.adds;
    if (adds.empty())
      for (int n = 255; n >= 0; --n) adds.push_back({0x40, static_cast<std::uint8_t>(n), 255});
    NitTableCollector collector;
    std::optional<std::size_t> completedBy;
    for (std::size_t i = 0; i < adds.size(); ++i) {
      const NitSection s{.TableId = adds[i].tableId, .NetworkId = adds[i].network, .Version = adds[i].version,
                         .SectionNumber = adds[i].number, .LastSectionNumber = adds[i].last,
                         .NetworkName = adds[i].name};
      if (collector.Add(BuildNitSection(s))) {
        EXPECT_FALSE(completedBy) << c.name;
        completedBy = i;
      }
    }
    EXPECT_EQ(completedBy, c.completedBy) << c.name;
    for (std::size_t n = 0; completedBy && n < collector.Sections().size(); ++n) {
      EXPECT_EQ(collector.Sections()[n][6], n) << c.name;
      EXPECT_EQ(collector.Sections()[n][5] >> 1 & 0x1F, c.version) << c.name;
    }
  }
}

}  // namespace
}  // namespace velq
