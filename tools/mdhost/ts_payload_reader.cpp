#include "tools/mdhost/ts_payload_reader.h"

#include <algorithm>

namespace mdhost {
namespace {

std::uint16_t packetPid(const std::array<std::uint8_t, kTsPacketSize>& packet) {
  return static_cast<std::uint16_t>(((packet[1] & 0x1F) << 8) | packet[2]);
}

bool carriesPayload(const std::array<std::uint8_t, kTsPacketSize>& packet) {
  return (packet[3] & 0x10) != 0;  // adaptation_field_control 01 or 11
}

}  // namespace

bool TsPayloadReader::nextPacket() {
  std::size_t have = 0;
  for (;;) {
    in_.read(reinterpret_cast<char*>(packet_.data() + have), static_cast<std::streamsize>(kTsPacketSize - have));
    have += static_cast<std::size_t>(in_.gcount());
    if (have < kTsPacketSize) return false;  // a trailing partial packet is no packet
    if (packet_[0] == kTsSyncByte) return true;
    // Lost sync: keep what follows the next sync byte and read the rest.
    auto sync = std::find(packet_.begin() + 1, packet_.end(), kTsSyncByte);
    have = static_cast<std::size_t>(packet_.end() - sync);
    std::copy(sync, packet_.end(), packet_.begin());
  }
}

bool TsPayloadReader::next(TsPayload& payload) {
  while (nextPacket()) {
    if (packetPid(packet_) != pid_ || !carriesPayload(packet_)) continue;
    std::copy(packet_.begin() + 4, packet_.end(), payload.begin());
    return true;
  }
  return false;
}

void TsPayloadReader::rewind() {
  in_.clear();
  in_.seekg(0);
}

}  // namespace mdhost
