// velqtp's packet reader on any file: the framer and the scan must not
// read outside the bytes they were given, must hand out only PID 0x0010
// packets, must keep no more than the documented tail between
// blocks, and must find the same things however the file arrives in blocks
// (a pipe hands over whatever it has at once).

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <vector>

#include "cli/nit_scan.h"
#include "cli/ts_packet_framer.h"
#include "cli/ts_payload_reader.h"
#include "fuzz/fuzz_check.h"
#include "search/nit_capture.h"
#include "tests/support/recording_nit_sink.h"

namespace velq::fuzz {
namespace {

using Packet = std::array<std::uint8_t, kTsPacketSize>;

// Block sizes around the packet sizes and the lock distance, picked by the
// first input byte so that the fuzzer steers the block pattern.
class BlockPattern {
 public:
  explicit BlockPattern(std::uint8_t seed) : seed_(seed) {}
  std::size_t Next() {
    static constexpr std::array<std::size_t, 8> kSizes = {1, 7, 187, 188, 192, 204, 611, 1500};
    const std::size_t size = kSizes[(seed_ + step_ * (1 + (seed_ >> 3))) % kSizes.size()];
    ++step_;
    return size;
  }

 private:
  std::uint8_t seed_;
  std::size_t step_ = 0;
};

struct Framed {
  std::vector<Packet> Packets188;
  std::uint64_t Packets = 0;
  std::size_t Stride = 0;
};

TsPacketFramer::PacketHandler Collect(std::vector<Packet>& packets) {
  return [&packets](const std::uint8_t* packet) {
    Require(packet[0] == kTsSyncByte, "a packet starts with a sync byte");
    Require(((packet[1] & 0x1F) << 8 | packet[2]) == kNitPacketPid, "only PID 0x0010 packets");
    Packet copy;
    std::memcpy(copy.data(), packet, copy.size());  // reads all 188 bytes for ASan
    packets.push_back(copy);
    return true;
  };
}

Framed FrameWhole(std::span<const std::uint8_t> file) {
  Framed result;
  const std::vector<std::uint8_t> bytes(file.begin(), file.end());
  TsPacketFramer framer(kNitPacketPid, Collect(result.Packets188));
  const std::size_t done = framer.Frame(bytes.data(), bytes.size(), true);
  Require(done <= bytes.size(), "the framer is done with no more than it was given");
  result.Packets = framer.packets();
  result.Stride = framer.stride();
  return result;
}

// The caller's side of Frame(): the undone tail goes in again at the front
// of the next call, each call on a block of exactly its size.
Framed FrameInBlocks(std::span<const std::uint8_t> file, BlockPattern pattern) {
  Framed result;
  TsPacketFramer framer(kNitPacketPid, Collect(result.Packets188));
  std::vector<std::uint8_t> tail;
  std::size_t next = 0;
  bool atEnd = false;
  while (!atEnd) {
    const std::size_t count = std::min(pattern.Next(), file.size() - next);
    atEnd = count == 0;
    std::vector<std::uint8_t> block(tail);
    block.insert(block.end(), file.begin() + next, file.begin() + next + count);
    next += count;
    const std::size_t done = framer.Frame(block.data(), block.size(), atEnd);
    Require(done <= block.size(), "the framer is done with no more than it was given");
    Require(atEnd || block.size() - done <= kTsFramerMaxTail, "the tail left stays bounded");
    tail.assign(block.begin() + done, block.end());
  }
  result.Packets = framer.packets();
  result.Stride = framer.stride();
  return result;
}

// velqtp's scan, reading the file in the pattern's blocks. It allocates a
// 1 MiB block buffer, which under ASan costs milliseconds, so it runs once
// per input and is compared with a capture fed from the framed payloads.
NitScanResult ScanInBlocks(std::span<const std::uint8_t> file, BlockPattern pattern) {
  std::size_t next = 0;
  return ScanForNit([&](std::uint8_t* buffer, std::size_t capacity) {
    const std::size_t count = std::min({capacity, file.size() - next, pattern.Next()});
    std::memcpy(buffer, file.data() + next, count);
    next += count;
    return count;
  });
}

class NoFilterHost : public NitFilterHost {
 public:
  void SendStartFilter() override {}
  void SendStopFilter() override {}
};

// What the scan must find: a search over the framed packets until the
// first table is parsed.
void RequireScanMatches(const NitScanResult& scan, const std::vector<Packet>& packets) {
  NoFilterHost host;
  RecordingNitSink sink;
  NitCapture capture(host, sink, '.');
  capture.StartSearch();
  TsPayloadReader reader;
  for (const Packet& packet : packets) {
    if (capture.SearchDone()) break;
    const TsPidPayload payload = reader.Read(packet.data());
    if (payload.afterGap) capture.Discontinuity();
    capture.Deliver(static_cast<std::int32_t>(payload.bytes.size()), payload.bytes.data(),
                    payload.unitStart ? PayloadStart::kUnitStart : PayloadStart::kContinuation);
  }
  Require(scan.tableParsed == capture.SearchDone(), "scan: the table is found");
  // The list keeps its entries sorted, so compare them as sets with repeats.
  std::vector<std::string> listed;
  for (const VectorCheckList::Entry& entry : scan.list.entries()) listed.push_back(entry.text);
  std::vector<std::string> expected = sink.Entries;
  std::sort(listed.begin(), listed.end());
  std::sort(expected.begin(), expected.end());
  Require(listed == expected, "scan: the entries of the table");
  Require(scan.satelliteLine == (sink.SatelliteLines.empty() ? "" : sink.SatelliteLines.back()),
          "scan: the satellite line");
  Require(scan.position.SatPositionCode == capture.Position().SatPositionCode,
          "scan: the position code");
}

}  // namespace
}  // namespace velq::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace velq::fuzz;
  if (size == 0) return 0;
  const BlockPattern pattern(data[0]);
  const std::span<const std::uint8_t> file(data + 1, size - 1);

  const Framed whole = FrameWhole(file);
  const Framed blocks = FrameInBlocks(file, pattern);
  Require(whole.Packets188 == blocks.Packets188, "framer: same packets in blocks");
  Require(whole.Packets == blocks.Packets, "framer: same packet count in blocks");
  Require(whole.Stride == blocks.Stride, "framer: same packet distance in blocks");

  RequireScanMatches(ScanInBlocks(file, pattern), whole.Packets188);
  return 0;
}
