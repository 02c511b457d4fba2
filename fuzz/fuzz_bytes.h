#pragma once
// Reads a fuzz input front to back as a little program: bytes and 16-bit
// numbers. Past the end every read gives zeros, so any input is a valid
// program and seeds can be written byte by byte.

#include <cstddef>
#include <cstdint>
#include <span>

namespace velq::fuzz {

class FuzzBytes {
 public:
  explicit FuzzBytes(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
  std::uint8_t Byte() { return next_ < bytes_.size() ? bytes_[next_++] : 0; }
  std::uint16_t U16() {  // big-endian, as in the tables themselves
    const std::uint16_t high = Byte();
    return static_cast<std::uint16_t>(high << 8 | Byte());
  }

 private:
  std::span<const std::uint8_t> bytes_;
  std::size_t next_ = 0;
};

}  // namespace velq::fuzz
