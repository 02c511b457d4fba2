// The bytes every NIT test builds on, against values written out by hand.
#include "tools/nit_builder/nit_builder.h"

#include <gtest/gtest.h>

#include <string_view>

#include "tools/nit_builder/crc32.h"

namespace velq {
namespace {

TEST(Mpeg2Crc32, MatchesTheCheckValueAndClosesSections) {
  constexpr std::string_view kCheck = "123456789";
  EXPECT_EQ(Mpeg2Crc32({reinterpret_cast<const std::uint8_t*>(kCheck.data()), kCheck.size()}), 0x0376E6E7u);
  EXPECT_EQ(Mpeg2Crc32(BuildNitSection({.NetworkName = "Velq", .Transponders = {{}}})), 0u);
}

TEST(EncodeSatelliteDescriptor, GivesTheBroadcastBytes) {
  using Descriptor = std::array<std::uint8_t, 13>;
  EXPECT_EQ(EncodeSatelliteDescriptor({.FrequencyKhz = 11727500, .PositionTenths = 192,
                                       .polarisation = Polarisation::Vertical, .SymbolRate = 27500000}),
            (Descriptor{0x43, 0x0B, 0x01, 0x17, 0x27, 0x50, 0x01, 0x92, 0xA1, 0x02, 0x75, 0x00, 0x03}));
  EXPECT_EQ(EncodeSatelliteDescriptor({.FrequencyKhz = 3840000, .PositionTenths = 300, .hemisphere = Hemisphere::West,
                                       .polarisation = Polarisation::Right, .system = DeliverySystem::DvbS2,
                                       .modulation = Modulation::Psk8, .RollOff = 2, .SymbolRate = 6111500,
                                       .Fec = FecInner::Fec9_10}),
            (Descriptor{0x43, 0x0B, 0x00, 0x38, 0x40, 0x00, 0x03, 0x00, 0x76, 0x00, 0x61, 0x11, 0x59}));
  EXPECT_THROW(EncodeSatelliteDescriptor({.PositionTenths = 10000}), std::out_of_range);
}

}  // namespace
}  // namespace velq
