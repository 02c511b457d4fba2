#pragma once
// Builds NIT tables (actual 0x40, other 0x41, on PID 0x0010) from readable
// transponder lists: the satellite delivery system descriptors, whole
// sections with their CRC, stuffing sections, and the packets that carry
// them as broadcasts do: one section per payload or packed back to back
// (pointer_field), with adaptation fields, lost, duplicate and damaged
// packets. For tests, samples and the host simulator.

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
  std::uint8_t TableId = 0x40;  // 0x41: NIT other
  std::uint16_t NetworkId = 1;
  std::uint8_t Version = 0;
  std::string NetworkName{};
  std::vector<Transponder> Transponders{};
  std::size_t TranspondersPerSection = 16;
};

// The table split into sections 0..n-1, each announcing n-1 as the last.
// An empty list still gives one section.
std::vector<SectionBytes> BuildNitSections(const NitTable& table);

// A stuffing section (table 0x72, section_syntax_indicator 0, data bytes
// 0xFF) of `totalBytes` bytes in all, header included (3 to 4096).
SectionBytes BuildStuffingSection(std::size_t totalBytes);

// Each section starts a new payload with pointer_field 0; the last payload
// of a section is filled up with 0xFF.
std::vector<TsPayload> SectionsToPayloads(const std::vector<SectionBytes>& sections);

// The same payloads as packets on PID 0x0010, payload_unit_start_indicator
// set where a section starts, continuity counter counting up from `firstCounter`.
std::vector<TsPacket> SectionsToPackets(const std::vector<SectionBytes>& sections,
                                        std::uint8_t firstCounter = 0);

// The packets of one PID as a multiplexer sends them. Sections go out one
// after another; Pack() starts a section right where the previous one ended,
// so a payload may hold the end of one section, pointer_field pointing past
// it, and the starts of several more. EndPayload() fills the payload under
// way with 0xFF stuffing bytes, so the next section starts a new one.
struct CarrierOptions {
  std::uint16_t Pid = kNitPid;
  std::uint8_t FirstCounter = 0;
  // Every n-th packet (counted from 1) carries an adaptation field of
  // AdaptationLength bytes before a shorter payload (adaptation_field_control
  // 3); 0: none.
  std::size_t AdaptationEvery = 0;
  std::uint8_t AdaptationLength = 7;
  // After every n-th packet, one with an adaptation field only
  // (adaptation_field_control 2: no payload, the counter not advanced); 0: none.
  std::size_t AdaptationOnlyEvery = 0;
};

class SectionCarrier {
 public:
  explicit SectionCarrier(CarrierOptions options = {});
  // Starts `section` right after the last packed byte.
  void Pack(const SectionBytes& section);
  void Pack(const std::vector<SectionBytes>& sections);
  // Sends the payload under way, filled up with 0xFF; nothing when none is.
  void EndPayload();
  // Ends the payload under way and hands over every packet made so far; the
  // counter goes on from there.
  std::vector<TsPacket> Take();

 private:
  bool Emit(bool flush);

  CarrierOptions options_;
  unsigned counter_;
  std::size_t made_ = 0;                 // packets with a payload so far
  std::vector<std::uint8_t> pending_;    // bytes packed, not yet in a packet
  std::vector<std::size_t> starts_;      // offsets in pending_ where sections start
  std::vector<TsPacket> packets_;
};

// The packets one PID's layout is made of, damaged as recordings are:
// one lost, one sent twice (same counter), one with transport_error_indicator
// set and its payload corrupted.
void DropPacket(std::vector<TsPacket>& packets, std::size_t index);
void DuplicatePacket(std::vector<TsPacket>& packets, std::size_t index);
void DamagePacket(std::vector<TsPacket>& packets, std::size_t index);

// The payload of a packet as a host hands it on: the bytes after the header
// and any adaptation field; empty for adaptation_field_control 0 or 2.
std::vector<std::uint8_t> PacketPayload(const TsPacket& packet);

// The entry text the search shows for a transponder the layouts use
// (Ku band, a FEC code with text), and the list file it is saved as:
// "0192.ini" for 19.2 E, "3592.ini" for 0.8 W. Written from the entry and
// file rules, not from the search's code.
std::string ExpectedEntryText(const Transponder& transponder);
std::string ExpectedListFileName(const Transponder& last);
// The entry texts of a list, sorted.
std::vector<std::string> ExpectedEntryTexts(const std::vector<Transponder>& transponders);

// `count` Ku-band transponders at one position, from `firstMhz` up and
// distinct in frequency, with polarisations, code rates, systems and
// modulations mixed; `servicesEach` service ids on each.
std::vector<Transponder> TransponderBand(int count, std::uint32_t firstMhz, std::uint16_t tenths,
                                         Hemisphere hemisphere = Hemisphere::East, int servicesEach = 0);

}  // namespace velq
