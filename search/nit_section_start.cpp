#include "search/nit_section_start.h"

namespace velq {
namespace {

constexpr std::uint8_t kNitActualTableId = 0x40;
constexpr std::int32_t kPayloadSize = 184;
constexpr std::int32_t kLargestRoundedLength = 7 * kPayloadSize;  // 1288

}  // namespace

std::optional<NitSectionStart> ReadNitSectionStart(const std::uint8_t* data, std::int64_t length) {
  if (data == nullptr || length < kSectionStartHeaderSize) return std::nullopt;
  const bool pointerFieldZero = data[0] == 0;
  const bool nitActual = data[1] == kNitActualTableId;
  const bool currentTable = (data[6] & 0x01) != 0;
  if (!pointerFieldZero || !nitActual || !currentTable) return std::nullopt;
  return NitSectionStart{(data[2] & 0x0F) * 256 + data[3], data[7], data[8]};
}

std::int32_t RoundSectionLength(std::int32_t sectionLength) {
  if (sectionLength <= 0 || sectionLength >= kLargestRoundedLength) return sectionLength;
  return (sectionLength + kPayloadSize - 1) / kPayloadSize * kPayloadSize;
}

std::int32_t SectionPayloadBytes(std::int32_t sectionLength) {
  if (sectionLength <= 0) return 0;
  constexpr std::int32_t kBytesBeforeBody = 4;
  return (sectionLength + kBytesBeforeBody + kPayloadSize - 1) / kPayloadSize * kPayloadSize;
}

}  // namespace velq
