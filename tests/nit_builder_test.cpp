#include "tools/nit_builder/nit_builder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string_view>

#include "tools/nit_builder/crc32.h"
#include "tools/nit_builder/nit_layouts.h"

namespace velq {
namespace {

TEST(Mpeg2Crc32, MatchesTheCheckValueAndClosesSections) {
  constexpr std::string_view kCheck = "123456789";
  EXPECT_EQ(Mpeg2Crc32({reinterpret_cast<const std::uint8_t*>(kCheck.data()), kCheck.size()}),
            0x0376E6E7u);
  const SectionBytes section = BuildNitSection({.NetworkName = "Velq", .Transponders = {{}}});
  EXPECT_EQ(Mpeg2Crc32(section), 0u);
}

TEST(EncodeSatelliteDescriptor, GivesTheBroadcastBytes) {
  const Transponder astra{.FrequencyKhz = 11727500, .PositionTenths = 192,
                          .polarisation = Polarisation::Vertical, .SymbolRate = 27500000};
  const std::array<std::uint8_t, 13> expected = {0x43, 0x0B, 0x01, 0x17, 0x27, 0x50, 0x01,
                                                 0x92, 0xA1, 0x02, 0x75, 0x00, 0x03};
  EXPECT_EQ(EncodeSatelliteDescriptor(astra), expected);

  const Transponder west{.FrequencyKhz = 3840000, .PositionTenths = 300,
                         .hemisphere = Hemisphere::West, .polarisation = Polarisation::Right,
                         .system = DeliverySystem::DvbS2, .modulation = Modulation::Psk8,
                         .RollOff = 2, .SymbolRate = 6111500, .Fec = FecInner::Fec9_10};
  const std::array<std::uint8_t, 13> expectedWest = {0x43, 0x0B, 0x00, 0x38, 0x40, 0x00, 0x03,
                                                     0x00, 0x76, 0x00, 0x61, 0x11, 0x59};
  EXPECT_EQ(EncodeSatelliteDescriptor(west), expectedWest);
  EXPECT_THROW(EncodeSatelliteDescriptor({.PositionTenths = 10000}), std::out_of_range);
}

TEST(SectionsToPackets, StartsEachSectionInANewPacket) {
  const std::vector<SectionBytes> sections = {SectionBytes(200, 0xAB), SectionBytes(10, 0xCD)};
  const std::vector<TsPacket> packets = SectionsToPackets(sections, 14);
  ASSERT_EQ(packets.size(), 3u);
  const std::uint8_t headers[3][4] = {{0x47, 0x40, 0x10, 0x1E}, {0x47, 0x00, 0x10, 0x1F},
                                      {0x47, 0x40, 0x10, 0x10}};
  for (std::size_t i = 0; i < 3; ++i) {
    EXPECT_TRUE(std::equal(std::begin(headers[i]), std::end(headers[i]), packets[i].begin())) << i;
  }
  EXPECT_EQ(packets[0][4], 0x00);  // pointer_field
  EXPECT_EQ(packets[1][4 + 16], 0xAB);  // 183 + 17 = 200 bytes of the first section
  EXPECT_EQ(packets[1][4 + 17], 0xFF);
  EXPECT_EQ(packets[2][4 + 10], 0xCD);
  EXPECT_EQ(packets[2][4 + 11], 0xFF);
}

// libdvbpsi checks that the layouts decode to their tables (the differential
// fuzz target); this checks that each still holds what its name promises,
// so the layout tests never pass on an easy stream.
TEST(BuildNitLayouts, EachHoldsWhatItsNameSays) {
  std::map<std::string, std::vector<TsPacket>> layouts;
  for (const NitLayout& layout : BuildNitLayouts()) layouts[layout.Name] = layout.Packets;
  ASSERT_EQ(layouts.size(), 12u);
  const auto any = [&](const std::string& name, auto predicate) {
    return std::any_of(layouts[name].begin(), layouts[name].end(), predicate);
  };
  const auto unitStart = [](const TsPacket& p) { return (p[1] & 0x40) != 0; };
  EXPECT_TRUE(any("packed-sections", [&](const TsPacket& p) { return unitStart(p) && p[4] == 0x5D; }));
  EXPECT_TRUE(any("stuffing-tables", [](const TsPacket& p) { return std::find(p.begin() + 4, p.end(), 0x72) != p.end(); }));
  EXPECT_TRUE(any("adaptation-fields", [](const TsPacket& p) { return (p[3] >> 4) == 2; }));
  EXPECT_TRUE(any("adaptation-fields", [](const TsPacket& p) { return (p[3] >> 4) == 3; }));
  EXPECT_TRUE(any("transport-errors", [](const TsPacket& p) { return (p[1] & 0x80) != 0; }));
  EXPECT_TRUE(any("duplicate-packets", [&](const TsPacket& p) {
    return std::count(layouts["duplicate-packets"].begin(), layouts["duplicate-packets"].end(), p) == 2;
  }));
  EXPECT_GT(layouts["large-table"].size() * 184, 2u * 8192);  // two repetitions of a table over 8 KB
  // Service 0x430B of type 1, then service 0x1234: a delivery descriptor's
  // start inside the service list.
  const std::array<std::uint8_t, 5> falseTag = {0x43, 0x0B, 0x01, 0x12, 0x34};
  EXPECT_TRUE(any("service-id-430b", [&](const TsPacket& p) {
    return std::search(p.begin() + 4, p.end(), falseTag.begin(), falseTag.end()) != p.end();
  }));
}

}  // namespace
}  // namespace velq
