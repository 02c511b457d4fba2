#include "cli/ts_payload_reader.h"

#include <algorithm>

namespace velq {
namespace {

constexpr std::size_t kPacketSize = 188;
constexpr std::size_t kHeaderSize = 4;

}  // namespace

// A repeat carries the same header and payload; only a PCR in its
// adaptation field may differ.
bool TsPayloadReader::RepeatsLast(const std::uint8_t* packet, std::size_t offset) const {
  if (!std::equal(packet + 1, packet + kHeaderSize, last_.begin() + 1)) return false;
  const std::size_t start = std::min(offset, kPacketSize), lastStart = std::min(lastOffset_, kPacketSize);
  return std::equal(packet + start, packet + kPacketSize, last_.begin() + lastStart, last_.end());
}

TsPidPayload TsPayloadReader::Read(const std::uint8_t* packet) {
  TsPidPayload result;
  // A damaged packet's header cannot be trusted either; if it carried a
  // payload, the next packet's counter shows the gap.
  if ((packet[1] & 0x80) != 0) return result;
  const unsigned control = packet[3] >> 4 & 0x03;
  if ((control & 0x01) == 0) return result;  // no payload: the counter does not advance

  std::size_t offset = kHeaderSize;
  if (control == 3) offset += 1u + packet[kHeaderSize];
  const int counter = packet[3] & 0x0F;
  if (counter == counter_ && RepeatsLast(packet, offset)) return result;  // sent twice
  result.afterGap = counter_ >= 0 && counter != ((counter_ + 1) & 0x0F);
  counter_ = counter;
  std::copy(packet, packet + kPacketSize, last_.begin());
  lastOffset_ = offset;

  // An adaptation field longer than the packet: its payload is lost.
  if (offset > kPacketSize) {
    result.afterGap = true;
    return result;
  }
  result.bytes = std::span<const std::uint8_t>(packet + offset, kPacketSize - offset);
  result.unitStart = (packet[1] & 0x40) != 0 && !result.bytes.empty();
  return result;
}

}  // namespace velq
