#pragma once
// Builds NIT actual tables (table 0x40 on PID 0x0010) from readable
// transponder lists: the satellite delivery system descriptors, whole
// sections with their CRC, and the 184-byte payloads or 188-byte packets a
// host would deliver. For tests, samples and the host simulator.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
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
};

using SectionBytes = std::vector<std::uint8_t>;
using TsPayload = std::array<std::uint8_t, 184>;
using TsPacket = std::array<std::uint8_t, 188>;

inline constexpr std::uint16_t kNitPid = 0x0010;

// The 13 bytes of one satellite delivery system descriptor (tag 0x43, length
// 11), BCD as broadcast. Throws std::out_of_range for a value with too many
// digits or a roll-off code above 3.
std::array<std::uint8_t, 13> EncodeSatelliteDescriptor(const Transponder& transponder);

struct NitSection {
  std::uint8_t TableId = 0x40;
  std::uint16_t NetworkId = 1;
  std::uint8_t Version = 0;
  bool CurrentNext = true;
  std::uint8_t SectionNumber = 0;
  std::uint8_t LastSectionNumber = 0;
  std::string NetworkName{};  // empty: no network name descriptor
  std::uint16_t OriginalNetworkId = 1;
  std::uint16_t FirstTransportStreamId = 1;  // counted up per transponder
  std::vector<Transponder> Transponders{};     // one transport stream each
};

// One private section with its CRC-32. Throws std::length_error when it does
// not fit the 12-bit section_length.
SectionBytes BuildNitSection(const NitSection& section);

struct NitTable {
  std::uint16_t NetworkId = 1;
  std::uint8_t Version = 0;
  std::string NetworkName{};
  std::vector<Transponder> Transponders{};
  std::size_t TranspondersPerSection = 16;
};

// The table split into sections 0..n-1, each announcing n-1 as the last.
// An empty list still gives one section.
std::vector<SectionBytes> BuildNitSections(const NitTable& table);

// Each section starts a new payload with pointer_field 0; the last payload
// of a section is filled up with 0xFF.
std::vector<TsPayload> SectionsToPayloads(const std::vector<SectionBytes>& sections);

// The same payloads as packets on PID 0x0010, payload_unit_start_indicator
// set where a section starts, continuity counter counting up from `firstCounter`.
std::vector<TsPacket> SectionsToPackets(const std::vector<SectionBytes>& sections,
                                        std::uint8_t firstCounter = 0);

}  // namespace velq
