#pragma once
// Reads a fuzz input front to back as a little program: bytes, 16-bit
// numbers and runs of bytes. Past the end every read gives zeros, so any
// input is a valid program and seeds can be written byte by byte.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>

namespace velq::fuzz {

class FuzzBytes {
 public:
  explicit FuzzBytes(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

  bool empty() const { return next_ >= bytes_.size(); }

  std::uint8_t Byte() { return empty() ? 0 : bytes_[next_++]; }

  std::uint16_t U16() {  // big-endian, as in the tables themselves
    const std::uint16_t high = Byte();
    return static_cast<std::uint16_t>(high << 8 | Byte());
  }

  std::uint32_t U32() {
    const std::uint32_t high = U16();
    return high << 16 | U16();
  }

  // Up to `count` bytes; fewer at the end of the input.
  std::span<const std::uint8_t> Take(std::size_t count) {
    const std::size_t taken = std::min(count, bytes_.size() - std::min(next_, bytes_.size()));
    const std::span<const std::uint8_t> run = bytes_.subspan(std::min(next_, bytes_.size()), taken);
    next_ += taken;
    return run;
  }

 private:
  std::span<const std::uint8_t> bytes_;
  std::size_t next_ = 0;
};

}  // namespace velq::fuzz
