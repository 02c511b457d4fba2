#include "cli/ts_packet_framer.h"

#include <array>
#include <cstring>
#include <utility>

namespace velq {
namespace {

constexpr std::array<std::size_t, 3> kStrides = {188, 192, 204};
// Sync bytes that must line up before a packet distance is trusted: garbage
// and payloads are full of stray 0x47 bytes.
constexpr std::size_t kLockPackets = 5;
constexpr std::size_t kTimeStampSize = 4;
static_assert(kTimeStampSize - 1 + (kLockPackets - 1) * 204 < kTsFramerMaxTail);

std::uint16_t PacketPid(const std::uint8_t* packet) {
  return static_cast<std::uint16_t>(((packet[1] & 0x1F) << 8) | packet[2]);
}

}  // namespace

TsPacketFramer::TsPacketFramer(std::uint16_t pid, PacketHandler onPacket)
    : pid_(pid), onPacket_(std::move(onPacket)) {}

std::size_t TsPacketFramer::Frame(const std::uint8_t* data, std::size_t size, bool atEnd) {
  std::size_t pos = 0;
  while (!stopped_) {
    if (stride_ == 0) {
      const Hunt hunt = HuntForLock(data, size, atEnd, pos);
      if (hunt == Hunt::NeedMore) return pos;
      if (hunt == Hunt::NothingFound) return size;
    }
    pos = FrameAligned(data, size, pos);
    if (stopped_) return pos;
    // The aligned run ended: at the end of the data, or where a sync byte
    // is missing. A packet counts once the next one's sync byte follows it:
    // a packet cut short by a gap in the recording is dropped, not framed
    // across the gap.
    if (pos < size && data[pos] == kTsSyncByte && pos + stride_ >= size) {
      if (!atEnd) return pos;
      if (size - pos >= kTsPacketSize) HandlePacket(data + pos);
      return size;
    }
    if (pos >= size) return size;
    stride_ = 0;
    ++resyncs_;
    ++pos;
  }
  return pos;
}

// The loop nearly every byte of a recording goes through: per packet the
// next sync byte and the PID's low byte are looked at, and the handler is
// called for the PID's packets only. Returns where the run of lined-up
// packets ended.
std::size_t TsPacketFramer::FrameAligned(const std::uint8_t* data, std::size_t size, std::size_t pos) {
  const std::size_t stride = stride_;
  if (pos >= size || size - pos <= stride || data[pos] != kTsSyncByte) return pos;
  const std::uint8_t pidHigh = static_cast<std::uint8_t>(pid_ >> 8), pidLow = static_cast<std::uint8_t>(pid_);
  const std::uint8_t* const first = data + pos;
  const std::uint8_t* const lastWithNext = data + size - stride - 1;
  const std::uint8_t* packet = first;
  for (; packet <= lastWithNext && packet[stride] == kTsSyncByte; packet += stride) {
    if (packet[2] == pidLow && (packet[1] & 0x1F) == pidHigh && !onPacket_(packet)) {
      stopped_ = true;
      packet += stride;
      break;
    }
  }
  packets_ += static_cast<std::size_t>(packet - first) / stride;
  return static_cast<std::size_t>(packet - data);
}

TsPacketFramer::Hunt TsPacketFramer::HuntForLock(const std::uint8_t* data, std::size_t size,
                                                 bool atEnd, std::size_t& pos) {
  while (pos < size) {
    const void* sync = std::memchr(data + pos, kTsSyncByte, size - pos);
    if (sync == nullptr) return Hunt::NothingFound;
    pos = static_cast<std::size_t>(static_cast<const std::uint8_t*>(sync) - data);
    for (std::size_t stride : kStrides) {
      bool needMore = false;
      if (!StrideFits(data, size, atEnd, pos, stride, needMore)) {
        if (needMore) return Hunt::NeedMore;
        continue;
      }
      // The time stamp before a 192-byte packet may hold 0x47s that line up
      // too, for dozens of packets; the sync byte is the last that does.
      std::size_t lock = pos;
      for (std::size_t shift = 1; shift < kTimeStampSize; ++shift) {
        if (StrideFits(data, size, atEnd, pos + shift, stride, needMore)) lock = pos + shift;
        if (needMore) return Hunt::NeedMore;
      }
      pos = lock;
      stride_ = stride;
      return Hunt::Locked;
    }
    ++pos;
  }
  return Hunt::NothingFound;
}

// Before the end every one of the lock packets' sync bytes must be there to
// decide; at the end those that exist must agree and one packet must fit.
bool TsPacketFramer::StrideFits(const std::uint8_t* data, std::size_t size, bool atEnd,
                                std::size_t at, std::size_t stride, bool& needMore) const {
  if (!atEnd && at + (kLockPackets - 1) * stride >= size) {
    needMore = true;
    return false;
  }
  if (at >= size || size - at < kTsPacketSize || data[at] != kTsSyncByte) return false;
  for (std::size_t k = 1; k < kLockPackets; ++k) {
    const std::size_t next = at + k * stride;
    if (next >= size) break;
    if (data[next] != kTsSyncByte) return false;
  }
  return true;
}

void TsPacketFramer::HandlePacket(const std::uint8_t* packet) {
  ++packets_;
  if (PacketPid(packet) == pid_ && !onPacket_(packet)) {
    stopped_ = true;
  }
}

}  // namespace velq
