#pragma once
// The payloads of one PID in a transport-stream file, as a host's demux
// hands them on: the 184 bytes after each 4-byte packet header.

#include <array>
#include <cstddef>
#include <cstdint>
#include <istream>

namespace mdhost {

inline constexpr std::size_t kTsPacketSize = 188;
inline constexpr std::size_t kTsPayloadSize = 184;
inline constexpr std::uint8_t kTsSyncByte = 0x47;

using TsPayload = std::array<std::uint8_t, kTsPayloadSize>;

class TsPayloadReader {
 public:
  TsPayloadReader(std::istream& in, std::uint16_t pid) : in_(in), pid_(pid) {}

  // The next payload of the PID; false at the end of the stream. Packets of
  // other PIDs and packets without payload are skipped; after bytes that
  // are not a packet the reader resynchronises on the next sync byte.
  bool next(TsPayload& payload);

  // Back to the first packet, for looping the file.
  void rewind();

 private:
  bool nextPacket();

  std::istream& in_;
  std::uint16_t pid_;
  std::array<std::uint8_t, kTsPacketSize> packet_{};
};

}  // namespace mdhost
