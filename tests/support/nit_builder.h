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
  // When not empty, the transport-stream entry carries, after its satellite
  // delivery descriptor, a service_list descriptor (tag 0x41) of these
  // services and a logical-channel descriptor (tag 0x83) numbering them, as
  // real networks do. A service_id 0x430B puts the bytes 43 0B inside them.
  std::vector<std::uint16_t> ServiceIds{};
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

}  // namespace velq
