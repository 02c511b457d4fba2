#include "search/nit_parser.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "search/satellite_descriptor.h"
#include "search/satellite_descriptor_encoder.h"
#include "tests/support/recording_nit_sink.h"

namespace velq {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Patch = std::vector<std::pair<std::size_t, std::uint8_t>>;

// 11.72750 GHz, 19.2 E, vertical, DVB-S, QPSK, 27.5 Msymbol/s, FEC 3/4.
const Bytes kAstra = {0x43, 0x0B, 0x01, 0x17, 0x27, 0x50, 0x01, 0x92, 0xA1, 0x02, 0x75, 0x00, 0x03};
const std::string kAstraEntry = "11727,V,27500,34,DVB-S,QPSK";
constexpr const char* kAstraName = "Astra 1F/1G/1H/1KR/1L (19,2\xB0" "E)";

Bytes Patched(const Patch& patch, Bytes bytes = kAstra) {
  for (const auto& [offset, value] : patch) bytes[offset] = value;
  return bytes;
}

Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}

void AppendLength(Bytes& s, std::size_t length) {
  s.insert(s.end(), {static_cast<std::uint8_t>(0xF0 | length >> 8), static_cast<std::uint8_t>(length)});
}

// A NIT section laid out by hand, one descriptor loop per transport stream.
Bytes NitSection(const std::vector<Bytes>& entries, const Bytes& networkDescriptors = {}) {
  Bytes s = {0x40, 0, 0, 0x00, 0x01, 0xC1, 0x00, 0x00};
  AppendLength(s, networkDescriptors.size());
  s.insert(s.end(), networkDescriptors.begin(), networkDescriptors.end());
  std::size_t loop = 0;
  for (const Bytes& e : entries) loop += 6 + e.size();
  AppendLength(s, loop);
  for (const Bytes& e : entries) {
    s.insert(s.end(), {0x00, 0x01, 0x00, 0x01});
    AppendLength(s, e.size());
    s.insert(s.end(), e.begin(), e.end());
  }
  s.insert(s.end(), 4, 0x00);
  s[1] = static_cast<std::uint8_t>(0xF0 | (s.size() - 3) >> 8);
  s[2] = static_cast<std::uint8_t>(s.size() - 3);
  return s;
}

struct ParseRun {
  SatPosition Position{"before", "before"};
  RecordingNitSink Sink;
  ParseRun(const std::vector<NitSectionBytes>& sections, char separator = '.') {
    ParseNitBuffer(sections, Position, Sink, separator);
  }
};

TEST(EncodeSatelliteDescriptor, GivesTheBroadcastBytes) {
  EXPECT_TRUE(std::ranges::equal(EncodeSatelliteDescriptor({.FrequencyKhz = 11727500, .PositionTenths = 192,
                                  .polarisation = Polarisation::Vertical, .SymbolRate = 27500000}), kAstra));
  EXPECT_TRUE(std::ranges::equal(
      EncodeSatelliteDescriptor({.FrequencyKhz = 3840000, .PositionTenths = 300, .hemisphere = Hemisphere::West,
                                 .polarisation = Polarisation::Right, .system = DeliverySystem::DvbS2,
                                 .modulation = Modulation::Psk8, .RollOff = 2, .SymbolRate = 6111500,
                                 .Fec = FecInner::Fec9_10}),
      Bytes{0x43, 0x0B, 0x00, 0x38, 0x40, 0x00, 0x03, 0x00, 0x76, 0x00, 0x61, 0x11, 0x59}));
  EXPECT_THROW(EncodeSatelliteDescriptor({.PositionTenths = 10000}), std::out_of_range);
}

TEST(DecodeEntryText, BuildsTheTextOrRejects) {
  const struct {
    Patch patch;
    std::optional<std::string> expected;
  } cases[] = {
      {{{2, 0x00}, {3, 0x38}, {4, 0x40}, {5, 0x00}, {8, 0xE1}, {9, 0x00}, {10, 0x61}, {11, 0x11}, {12, 0x55}},
       "03840,right,06111,78,DVB-S,QPSK"},
      {{{8, 0x06}}, "11727,H,27500,34,DVB-S2,8PSK"},
      {{{8, 0x43}}, "11727,left,27500,34,DVB-S,16-QAM"},
      {{{8, 0xA0}}, "11727,V,27500,34,DVB-S,Auto"},
      // Roll-off bits and the 10 kHz digits do not show.
      {{{8, 0xB9}, {5, 0x99}}, kAstraEntry},
      {{{12, 0x09}}, "11727,V,27500,910,DVB-S,QPSK"},
      {{{12, 0x00}}, "11727,V,27500,DVB-S,QPSK"},
      {{{12, 0x0A}}, "11727,V,27500,DVB-S,QPSK"},
      // Frequency: 0 < F < 12800 MHz.
      {{{3, 0x27}, {4, 0x99}, {5, 0x99}}, "12799,V,27500,34,DVB-S,QPSK"},
      {{{3, 0x28}, {4, 0x00}, {5, 0x00}}, std::nullopt},
      {{{2, 0x00}, {3, 0x00}, {4, 0x00}}, std::nullopt},
      {{{2, 0x00}, {3, 0x00}, {4, 0x01}}, "00001,V,27500,34,DVB-S,QPSK"},
      {{{2, 0x10}}, std::nullopt},
      // Symbol rate: 0 < S <= 30000 ksymbol/s.
      {{{9, 0x03}, {10, 0x00}, {11, 0x00}}, "11727,V,30000,34,DVB-S,QPSK"},
      {{{9, 0x03}, {10, 0x00}, {11, 0x01}}, std::nullopt},
      {{{9, 0x00}, {10, 0x00}, {11, 0x00}}, std::nullopt},
      // Digits that are not decimal.
      {{{3, 0x1A}}, std::nullopt},
      {{{4, 0xA0}}, std::nullopt},
      {{{10, 0x7A}}, std::nullopt},
      {{{11, 0xF0}}, std::nullopt},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    const Bytes d = Patched(cases[i].patch);
    EXPECT_EQ(DecodeEntryText(SatelliteDescriptorBytes(d.data(), 13)), cases[i].expected) << "case " << i;
  }
}

TEST(ParseNitBuffer, SetsCodeNameAndLineForEachPosition) {
  const struct {
    std::uint8_t high, low, flags;  // descriptor bytes 6 to 8
    char separator;
    const char *code, *name, *lineTail;
  } cases[] = {
      {0x01, 0x92, 0xA1, '.', "0192", kAstraName, " 19.2 \xB0" "E"},
      {0x01, 0x92, 0xA1, ',', "0192", kAstraName, " 19,2 \xB0" "E"},
      {0x01, 0x30, 0xA1, '.', "0130", "Hotbird 6/7A/8 (13\xB0" "E)", " 13 \xB0" "E"},
      {0x01, 0x93, 0xA1, '.', "0193", "", " 19.3 \xB0" "E"},
      {0x00, 0x00, 0xA1, '.', "0000", "", " 0 \xB0" "E"},
      {0x03, 0x00, 0x06, '.', "3300", "Hispasat 1A, 1B, 1C, 1D", " 30 \xB0" "W"},
      {0x00, 0x08, 0x21, '.', "3592", "Thor 1, 2, 3", " 0.8 \xB0" "W"},
      {0x18, 0x00, 0x21, '.', "1800", "", " 180 \xB0" "W"},
  };
  for (const auto& c : cases) {
    const ParseRun run({NitSection({Patched({{6, c.high}, {7, c.low}, {8, c.flags}})})}, c.separator);
    EXPECT_EQ(run.Position.SatPositionCode, c.code);
    EXPECT_EQ(run.Position.SatPositionName, c.name) << c.code;
    EXPECT_EQ(run.Sink.SatelliteLines, std::vector<std::string>{std::string(c.name) + c.lineTail}) << c.code;
  }
}

// Only descriptors reached by walking the loops count; a loop past its end
// stops the section's walk. The last position decides, entry or not.
TEST(ParseNitBuffer, WalksTheDescriptorLoops) {
  const Bytes& astra = kAstra;
  const Bytes hotbird = Patched({{6, 0x01}, {7, 0x30}});
  const Bytes rejectedWest = Patched({{6, 0x00}, {7, 0x70}, {8, 0x21}, {2, 0x00}, {3, 0x00}, {4, 0x00}});
  const Bytes badFrequency = Patched({{3, 0x1B}, {6, 0x00}, {7, 0x70}, {8, 0x21}});
  // A service_list whose services 0x430B, 0x0117, ... read like a descriptor.
  const Bytes serviceList = {0x41, 0x0F, 0x43, 0x0B, 0x01, 0x17, 0x27, 0x50, 0x00,
                             0x08, 0x21, 0x02, 0x75, 0x00, 0x03, 0x01, 0x01};
  const std::string noCodeRate = "11727,V,27500,DVB-S,QPSK";
  const struct {
    const char* name;
    std::vector<Bytes> sections;
    std::vector<std::string> entries;
    const char* code;
  } cases[] = {
      {"43 0B inside another descriptor", {NitSection({Concat({serviceList, astra, serviceList})})},
       {kAstraEntry}, "0192"},
      {"several entries and sections, in order",
       {NitSection({astra, Concat({hotbird, astra})}), NitSection({{}, hotbird})},
       {kAstraEntry, kAstraEntry, kAstraEntry, kAstraEntry}, "0130"},
      {"network descriptors give none", {NitSection({hotbird}, astra)}, {kAstraEntry}, "0130"},
      {"other tags and lengths skipped by their length",
       {NitSection({Concat({Patched({{1, 0x0C}}), {0x00}, Patched({{0, 0x44}})})}), NitSection({astra})},
       {kAstraEntry}, "0192"},
      // The first entry's descriptor loop claims one byte more than it has.
      {"descriptor loop too long", {Patched({{17, 14}}, NitSection({astra, hotbird})), NitSection({hotbird})},
       {kAstraEntry, kAstraEntry}, "0130"},
      {"descriptor past its loop", {NitSection({Concat({astra, {0x43, 0x0B, 0x01}})}), NitSection({})},
       {kAstraEntry}, "0192"},
      {"transport stream loop too long", {Patched({{11, 0x30}}, NitSection({astra}))}, {}, "before"},
      {"network loop too long", {Patched({{9, 0xFF}}, NitSection({astra}))}, {}, "before"},
      // section_length ends the section before its last descriptor.
      {"section_length shorter than the bytes", {Patched({{2, 0x2A}}, NitSection({astra, hotbird}))}, {}, "before"},
      {"section_length 0", {Patched({{2, 0x00}}, NitSection({astra}))}, {}, "before"},
      {"cut short", {astra, Bytes(5, 0x43), {}}, {}, "before"},
      {"rejected entry, position kept", {NitSection({astra, rejectedWest})}, {kAstraEntry}, "3530"},
      {"bad digits skip one candidate",
       {NitSection({astra, Patched({{10, 0xC5}}), badFrequency, hotbird, Patched({{6, 0x0A}})})},
       {kAstraEntry, kAstraEntry}, "0130"},
      {"repeats, no code rate, unknown position",
       {NitSection({astra, astra, Patched({{12, 0x00}}), Patched({{7, 0x93}})})},
       {kAstraEntry, kAstraEntry, noCodeRate, kAstraEntry}, "0193"},
  };
  const std::map<std::string, std::string> names = {
      {"before", "before"}, {"0192", kAstraName}, {"0130", "Hotbird 6/7A/8 (13\xB0" "E)"},
      {"3530", "Nilesat 101,102,103"}, {"0193", ""}};
  for (const auto& c : cases) {
    const ParseRun run(c.sections);
    EXPECT_EQ(run.Sink.Entries, c.entries) << c.name;
    EXPECT_EQ(run.Sink.SatelliteLines.size(), c.entries.size()) << c.name;
    EXPECT_EQ(run.Position.SatPositionCode, c.code) << c.name;
    EXPECT_EQ(run.Position.SatPositionName, names.at(c.code)) << c.name;
  }
}

}  // namespace
}  // namespace velq
