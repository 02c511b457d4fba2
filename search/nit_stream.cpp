#include "search/nit_stream.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace velq {

void NitStream::Write(const std::uint8_t* data, std::size_t count) {
  if (count == 0) return;
  const std::size_t start = static_cast<std::size_t>(position_);
  if (start + count > bytes_.size()) bytes_.resize(start + count);
  std::memcpy(bytes_.data() + start, data, count);
  position_ += static_cast<std::int64_t>(count);
}

std::size_t NitStream::Read(std::uint8_t* out, std::size_t count) {
  if (position_ >= Size()) return 0;
  const std::size_t available = static_cast<std::size_t>(Size() - position_);
  const std::size_t taken = std::min(count, available);
  if (taken == 0) return 0;
  std::memcpy(out, bytes_.data() + position_, taken);
  position_ += static_cast<std::int64_t>(taken);
  return taken;
}

void NitStream::SetPosition(std::int64_t position) {
  if (position < 0) throw std::out_of_range("NitStream position below 0");
  position_ = position;
}

void NitStream::SetSize(std::int64_t size) {
  if (size < 0) throw std::out_of_range("NitStream size below 0");
  bytes_.resize(static_cast<std::size_t>(size));
}

void NitStream::Empty() {
  std::vector<std::uint8_t>().swap(bytes_);
  position_ = 0;
}

}  // namespace velq
