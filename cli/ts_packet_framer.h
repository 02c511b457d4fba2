#pragma once
// Finds the transport-stream packets in a byte stream, as a receiver's
// recording holds them: plain 188-byte packets, 192-byte ones (a 4-byte time
// stamp before each) or 204-byte ones (16 parity bytes after each), with any
// garbage before or between them. It locks onto a packet distance once
// several sync bytes line up, and hunts again when a sync byte is missing.

#include <cstddef>
#include <cstdint>
#include <functional>

namespace velq {

inline constexpr std::size_t kTsPacketSize = 188;
inline constexpr std::size_t kTsPayloadSize = 184;
inline constexpr std::uint8_t kTsSyncByte = 0x47;

// The most bytes Frame() may leave undone before it needs more input.
inline constexpr std::size_t kTsFramerMaxTail = 1024;

class TsPacketFramer {
 public:
  // Gets every 188-byte packet of the PID, sync byte first (the header is
  // read by TsPayloadReader). Returning false stops the framer.
  using PacketHandler = std::function<bool(const std::uint8_t* packet)>;

  TsPacketFramer(std::uint16_t pid, PacketHandler onPacket);

  // Frames the packets in data[0, size) and returns how many leading bytes
  // are done with. The caller hands the rest (never more than
  // kTsFramerMaxTail bytes) in again at the front of the next call, followed
  // by new data. With `atEnd` nothing follows, and the tail is framed as far
  // as it goes.
  std::size_t Frame(const std::uint8_t* data, std::size_t size, bool atEnd);

  bool stopped() const { return stopped_; }
  // The packet distance locked onto (188, 192 or 204); 0 while hunting.
  std::size_t stride() const { return stride_; }
  std::uint64_t packets() const { return packets_; }
  // How often sync was lost after a lock.
  std::uint64_t resyncs() const { return resyncs_; }

 private:
  enum class Hunt { Locked, NeedMore, NothingFound };
  Hunt HuntForLock(const std::uint8_t* data, std::size_t size, bool atEnd, std::size_t& pos);
  bool StrideFits(const std::uint8_t* data, std::size_t size, bool atEnd, std::size_t at,
                  std::size_t stride, bool& needMore) const;
  std::size_t FrameAligned(const std::uint8_t* data, std::size_t size, std::size_t pos);
  void HandlePacket(const std::uint8_t* packet);

  const std::uint16_t pid_;
  PacketHandler onPacket_;
  std::size_t stride_ = 0;
  bool stopped_ = false;
  std::uint64_t packets_ = 0;
  std::uint64_t resyncs_ = 0;
};

}  // namespace velq
