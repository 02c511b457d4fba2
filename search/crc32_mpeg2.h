#pragma once
// The CRC-32 that closes every MPEG-2 private section (table_id .. CRC_32).

#include <cstdint>
#include <span>

namespace velq {

// Polynomial 0x04C11DB7, initial value 0xFFFFFFFF, no reflection, no final
// XOR. Over a whole section including its CRC the result is 0.
std::uint32_t Crc32Mpeg2(std::span<const std::uint8_t> bytes);

}  // namespace velq
