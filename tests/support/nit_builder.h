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

#include "search/satellite_descriptor_encoder.h"

namespace velq {

using SectionBytes = std::vector<std::uint8_t>;
using TsPayload = std::array<std::uint8_t, 184>;
using TsPacket = std::array<std::uint8_t, 188>;

inline constexpr std::uint16_t kNitPid = 0x0010;

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
