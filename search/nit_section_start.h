#pragma once
// How the capture recognises the start of a NIT section in a payload, and
// how many payload bytes it expects a section to take.

#include <cstdint>
#include <optional>

namespace velq {

// The header fields the capture reads from the first bytes of a payload that
// begins a section: pointer_field 0, table_id 0x40, current_next_indicator 1.
struct NitSectionStart {
  int SectionLength;      // 12 bits
  int SectionNumber;      // 0 marks a first-section start
  int LastSectionNumber;  // 0 to 255
};

// Payloads shorter than the 9 header bytes, or without data, are never
// section starts and are not read.
inline constexpr std::int32_t kSectionStartHeaderSize = 9;

std::optional<NitSectionStart> ReadNitSectionStart(const std::uint8_t* data, std::int64_t length);

// Up to 1288 the length is raised to the next multiple of 184, a whole number
// of packet payloads; beyond that it is used as it is.
std::int32_t RoundSectionLength(std::int32_t sectionLength);

// The bytes a section really takes in the stream: the pointer field, table id
// and the two length bytes come before its section_length bytes, and the
// whole is carried in whole payloads. A section of 181 to 184 bytes needs
// two payloads, not one; 0 stays 0 (no section).
std::int32_t SectionPayloadBytes(std::int32_t sectionLength);

}  // namespace velq
