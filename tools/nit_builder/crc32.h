#pragma once
// The CRC-32 that closes every MPEG-2 private section.

#include <cstddef>
#include <cstdint>
#include <span>

namespace velq {

// Polynomial 0x04C11DB7, initial value 0xFFFFFFFF, no reflection, no final
// XOR. Over a whole section including its CRC the result is 0.
std::uint32_t Mpeg2Crc32(std::span<const std::uint8_t> bytes);

}  // namespace velq
