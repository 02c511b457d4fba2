#pragma once
// The growable in-memory stream the NIT capture collects payloads in. Its
// quirks matter to the capture: rewinding keeps the size, so bytes of an
// earlier, longer table stay beyond newer data until overwritten.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace velq {

class NitStream {
 public:
  // Writes at the position, advances it, and raises the size to the new
  // position when it was smaller.
  void Write(const std::uint8_t* data, std::size_t count);
  // Copies min(count, size - position) bytes and advances by that many.
  std::size_t Read(std::uint8_t* out, std::size_t count);

  std::int64_t Position() const { return position_; }
  std::int64_t Size() const { return static_cast<std::int64_t>(bytes_.size()); }
  // Any position from 0 on; a position past the end is allowed (a later
  // write fills the gap with zeros).
  void SetPosition(std::int64_t position);
  // New bytes are zeros; the position is left where it is.
  void SetSize(std::int64_t size);
  // Size and position 0, memory released.
  void Empty();

 private:
  std::vector<std::uint8_t> bytes_;
  std::int64_t position_ = 0;
};

}  // namespace velq
