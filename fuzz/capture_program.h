#pragma once
// The little program the capture fuzz target runs: one op byte, then the
// op's operands. Shared with the seed writer so that seeds stay valid
// programs when the encoding changes.

#include <array>
#include <cstdint>
#include <vector>

#include "fuzz/fuzz_bytes.h"
#include "tools/nit_builder/nit_builder.h"

namespace velq::fuzz {

enum class CaptureOp : std::uint8_t {
  StartSearch = 0,
  StopSearch,
  StopNitFilter,
  // Start code, Len code, then the payload bytes (cut short by the input,
  // then 0xFF).
  DeliverBytes,
  // Start code, Len code, section_length (16 bits, low 12 used),
  // section_number, last_section_number, then as DeliverBytes after the 9
  // bytes of pointer_field 0 and a NIT actual section header.
  DeliverSectionStart,
  // Len code; the data pointer is null.
  DeliverNull,
  // Carriage code (see TableCarriage), then a table description (see
  // ReadTable); all its packets.
  DeliverWholeTable,
  // Packet count: the first packets of the last whole table, again.
  DeliverTableHead,
  // A lost packet, as velqtp reports a continuity gap.
  Discontinuity,
  Count,
};

// How a delivery tells where sections start: the plug-in's two-argument
// call (inferred), or the three-argument one with what a TS header says.
enum class StartCode : std::uint8_t { HostCall = 0, Unknown, Continuation, UnitStart, Count };

inline StartCode ReadStartCode(FuzzBytes& in) {
  return static_cast<StartCode>(in.Byte() % static_cast<std::uint8_t>(StartCode::Count));
}

// Carriage code bits: which way a whole table goes out.
inline constexpr std::uint8_t kCarriageKnownStarts = 0x01;  // TS header read, else inferred
inline constexpr std::uint8_t kCarriagePacked = 0x02;       // back to back, else one per payload
inline constexpr std::uint8_t kCarriageStuffing = 0x04;     // a stuffing section before each

// Lengths a host might hand over, whole payloads first; codes from
// kLengthChoices.size() on take the next 16 bits as a raw length.
inline constexpr std::array<std::int32_t, 12> kLengthChoices = {
    184, 368, 920, 552, 736, 1104, 1288, 0, 1, 8, 9, -1,
};

inline std::int32_t ReadLength(FuzzBytes& in) {
  const std::uint8_t code = in.Byte();
  if (code < kLengthChoices.size()) return kLengthChoices[code];
  // Mostly small, sometimes far beyond a section.
  return static_cast<std::int32_t>(in.U16()) - (code & 1 ? 0 : 512);
}

// A transponder list from the input: count, transponders per section, then
// per transponder 12 bytes, clamped to what the descriptor can encode so
// that invalid frequencies and rates are still reachable.
inline NitTable ReadTable(FuzzBytes& in) {
  NitTable table;
  const std::size_t count = in.Byte() % 48;
  table.TranspondersPerSection = 1 + in.Byte() % 16;
  for (std::size_t i = 0; i < count && !in.empty(); ++i) {
    Transponder t;
    t.FrequencyKhz = (in.U32() % 100000000u) / 10u * 10u;
    t.PositionTenths = static_cast<std::uint16_t>(in.U16() % 10000u);
    const std::uint8_t flags = in.Byte();
    t.hemisphere = flags & 0x80 ? Hemisphere::East : Hemisphere::West;
    t.polarisation = static_cast<Polarisation>(flags >> 5 & 3);
    t.RollOff = flags >> 3 & 3;
    t.system = static_cast<DeliverySystem>(flags >> 2 & 1);
    t.modulation = static_cast<Modulation>(flags & 3);
    t.SymbolRate = in.U32() % 10000000u * 100u;
    t.Fec = static_cast<FecInner>(in.Byte() & 0x0F);
    table.Transponders.push_back(t);
  }
  return table;
}

}  // namespace velq::fuzz
