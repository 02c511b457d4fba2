#pragma once
// A transponder as a satellite delivery system descriptor (tag 0x43) carries
// it, and the descriptor's 13 bytes built from it: what the NIT builder of the
// tests broadcasts, and how velqtp import turns a channel file's values into
// the entry texts a network search would decode from the air.

#include <array>
#include <cstdint>
#include <vector>

#include "search/position_names.h"

namespace velq {

enum class Polarisation : std::uint8_t { Horizontal = 0, Vertical = 1, Left = 2, Right = 3 };
enum class DeliverySystem : std::uint8_t { DvbS = 0, DvbS2 = 1 };
enum class Modulation : std::uint8_t { Auto = 0, Qpsk = 1, Psk8 = 2, Qam16 = 3 };
// FEC_inner codes; any 4-bit value may be cast in to build odd descriptors.
enum class FecInner : std::uint8_t {
  NotDefined = 0, Fec1_2 = 1, Fec2_3 = 2, Fec3_4 = 3, Fec5_6 = 4, Fec7_8 = 5,
  Fec8_9 = 6, Fec3_5 = 7, Fec4_5 = 8, Fec9_10 = 9, NoCoding = 15,
};

struct Transponder {
  std::uint32_t FrequencyKhz = 0;    // 11727500 for 11.7275 GHz; 10 kHz resolution
  std::uint16_t PositionTenths = 0;  // 192 for 19.2 degrees
  Hemisphere hemisphere = Hemisphere::East;
  Polarisation polarisation = Polarisation::Horizontal;
  DeliverySystem system = DeliverySystem::DvbS;
  Modulation modulation = Modulation::Qpsk;
  std::uint8_t RollOff = 0;          // 2-bit code: 0 = 0.35, 1 = 0.25, 2 = 0.20
  std::uint32_t SymbolRate = 0;      // symbols per second; 100 sym/s resolution
  FecInner Fec = FecInner::Fec3_4;
  // Services of the transport stream, for streams built to test the search:
  // its NIT entry then carries a service_list descriptor (tag 0x41) and a
  // logical-channel descriptor (tag 0x83) after the delivery descriptor, as
  // real networks do. A service_id 0x430B puts the bytes 43 0B inside them.
  std::vector<std::uint16_t> ServiceIds{};
};

// The 13 bytes of one satellite delivery system descriptor (tag 0x43, length
// 11), BCD as broadcast. Throws std::out_of_range for a value with too many
// digits or a roll-off code above 3.
std::array<std::uint8_t, 13> EncodeSatelliteDescriptor(const Transponder& transponder);

}  // namespace velq
