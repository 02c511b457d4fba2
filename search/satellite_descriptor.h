#pragma once
// Decoding of one satellite delivery system descriptor (tag 0x43, length 11)
// into the texts the network search shows and saves.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "search/position_names.h"

namespace velq {

inline constexpr std::uint8_t kSatelliteDescriptorTag = 0x43;
inline constexpr std::uint8_t kSatelliteDescriptorLength = 0x0B;
// Tag and length bytes included.
inline constexpr std::size_t kSatelliteDescriptorSize = 13;

using SatelliteDescriptorBytes = std::span<const std::uint8_t, kSatelliteDescriptorSize>;

struct OrbitalPosition {
  int Tenths;  // 0 to 9999
  Hemisphere hemisphere;
};

// The position of bytes 6-7 and the flag of byte 8; nullopt when a BCD digit
// is above 9.
std::optional<OrbitalPosition> DecodeOrbitalPosition(SatelliteDescriptorBytes descriptor);

// The transponder entry text F "," P "," S C M T, e.g.
// "11727,V,27500,34,DVB-S,QPSK". nullopt when the descriptor gives no entry:
// frequency not within 0 < F < 12800 MHz, symbol rate not within
// 0 < S <= 30000 ksymbol/s, or a digit of either that is not decimal.
std::optional<std::string> DecodeEntryText(SatelliteDescriptorBytes descriptor);

// The four-digit position code that names the transponder list file:
// "0192" for 19.2 east, "3300" for 30.0 west (3600 minus the tenths).
std::string SatPositionCodeOf(OrbitalPosition position);

// The satellite line: the name, a space, the degrees in shortest form ("13",
// "19.2" with the given decimal separator), a space, the degree sign (0xB0)
// and "E" or "W".
std::string SatelliteLineOf(std::string_view name, OrbitalPosition position, char decimalSeparator);

}  // namespace velq
