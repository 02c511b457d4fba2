// Reading a recording: packets found in the bytes, then each header read.
#include "cli/ts_packet_framer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "cli/ts_payload_reader.h"

namespace velq {
namespace {

using Bytes = std::vector<std::uint8_t>;

// A packet whose payload starts with `tag`; stray 0x47s in it too.
Bytes Packet(std::uint16_t pid, std::uint8_t tag, std::uint8_t control = 0x10) {
  Bytes p(kTsPacketSize);
  for (std::size_t i = 0; i < p.size(); ++i) p[i] = static_cast<std::uint8_t>(i * 7);
  p[0] = kTsSyncByte;
  p[1] = static_cast<std::uint8_t>(pid >> 8);
  p[2] = static_cast<std::uint8_t>(pid);
  p[3] = control;
  p[4] = tag;
  return p;
}

Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& part : parts) out.insert(out.end(), part.begin(), part.end());
  return out;
}

// Every third packet on PID 0x0010; a time stamp before (192) or parity
// after (204) each, with 0x47s that line up as well as the sync bytes do.
Bytes Stream(int count, std::size_t stride, std::uint8_t firstTag = 0) {
  Bytes out;
  for (int i = 0; i < count; ++i) {
    if (stride == 192) out.insert(out.end(), {0x00, 0x47, 0x47, 0x01});
    const Bytes p = Packet(i % 3 == 0 ? 0x0010 : 0x0100, static_cast<std::uint8_t>(firstTag + i));
    out.insert(out.end(), p.begin(), p.end());
    if (stride == 204) out.insert(out.end(), 16, 0x47);
  }
  return out;
}

Bytes Garbage(std::size_t size) {
  Bytes g(size);
  for (std::size_t i = 0; i < size; ++i) g[i] = static_cast<std::uint8_t>(i * 37 % 251);  // has 0x47s
  return g;
}

TEST(TsPacketFramer, FindsThePacketsOfThePidWhateverTheBlockSize) {
  Bytes cut = Stream(7, 188);
  cut.resize(cut.size() - 100);  // the last packet, one of PID 0x0010, loses its tail
  const std::vector<std::uint8_t> kTagsOf12 = {0, 3, 6, 9};
  const struct {
    const char* name;
    Bytes stream;
    std::vector<std::uint8_t> tags;  // first payload byte of each packet of PID 0x0010
    std::size_t stride;
  } cases[] = {
      {"188 behind garbage", Concat({Garbage(1000), Stream(12, 188)}), kTagsOf12, 188},
      {"192 behind garbage", Concat({Garbage(500), Stream(12, 192)}), kTagsOf12, 192},
      {"204 behind garbage", Concat({Garbage(5), Stream(12, 204)}), kTagsOf12, 204},
      {"garbage between packets", Concat({Stream(6, 188), Garbage(1001), Stream(6, 188, 6)}), kTagsOf12, 188},
      {"a cut packet dropped", Concat({cut, Stream(6, 188, 7)}), {0, 3, 7, 10}, 188},
      // 0x4010: the start flag beside the PID does not count; 0x0110 and
      // 0x1010 share its low byte only.
      {"other PIDs",
       Concat({Packet(0x0010, 1), Packet(0x0011, 2), Packet(0x1FFF, 3), Packet(0x0010, 4, 0x20), Packet(0x4010, 5),
               Packet(0x0110, 7), Packet(0x1010, 8), Packet(0x0010, 6)}),
       {1, 4, 5, 6}, 188},
      {"one packet", Stream(1, 188), {0}, 188},
      {"two packets of 204 bytes", Stream(2, 204), {0}, 204},
      {"short of a packet", Bytes(187, 0x47), {}, 0},
      {"garbage only", Garbage(5000), {}, 0},
      {"nothing", {}, {}, 0},
  };
  for (const auto& c : cases) {
    for (const std::size_t block : {std::size_t{1}, std::size_t{189}, std::size_t{1} << 20}) {
      SCOPED_TRACE(testing::Message() << c.name << ", block " << block);
      // As velqtp feeds it: the undone tail goes in again with the next block.
      std::vector<std::uint8_t> tags;
      TsPacketFramer framer(0x0010, [&](const std::uint8_t* packet) { return tags.push_back(packet[4]), true; });
      Bytes buffer;
      for (std::size_t offset = 0, take = 1; take != 0; offset += take) {
        take = std::min(block, c.stream.size() - offset);
        buffer.insert(buffer.end(), c.stream.begin() + offset, c.stream.begin() + offset + take);
        const std::size_t done = framer.Frame(buffer.data(), buffer.size(), take == 0);
        EXPECT_LE(buffer.size() - done, kTsFramerMaxTail);
        buffer.erase(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(done));
      }
      EXPECT_EQ(tags, c.tags);
      EXPECT_EQ(framer.stride(), c.stride);
    }
  }
}

// A packet of PID 0x0010: flags 0x80 transport error, 0x40 unit start; the
// adaptation_field_length after the header when control is 2 or 3.
Bytes Make(std::uint8_t flags, unsigned control, unsigned counter, std::uint8_t adaptation = 0,
           std::uint8_t fill = 0xAB) {
  Bytes p(188, fill);
  p[0] = 0x47, p[1] = flags, p[2] = 0x10, p[3] = static_cast<std::uint8_t>(control << 4 | counter);
  if (control >= 2) p[4] = adaptation;
  return p;
}

TEST(TsPayloadReader, ReadsPayloadStartsGapsRepeatsAndDamage) {
  const struct {
    Bytes packet;
    bool afterGap;
    std::size_t payloadSize;  // the packet's last bytes
    bool unitStart;
  } steps[] = {
      {Make(0x40, 1, 3), false, 184, true},          // the first packet: no gap to see
      {Make(0x00, 1, 4), false, 184, false},
      {Make(0x00, 1, 4), false, 0, false},           // sent twice: ignored
      {Make(0x40, 1, 4, 0, 0xCD), true, 184, true},  // same counter, other bytes: a round was lost
      {Make(0x00, 2, 4, 183), false, 0, false},      // adaptation field only: counter stays
      {Make(0x40, 3, 5, 7), false, 176, true},       // payload after 1 + 7 adaptation bytes
      {Make(0x00, 3, 6, 183), false, 0, false},      // adaptation field fills the packet
      {Make(0x80, 1, 7), false, 0, false},           // transport error: dropped...
      {Make(0x00, 1, 8), true, 184, false},          // ...so the next one follows a gap
      {Make(0x00, 0, 9), false, 0, false},           // reserved control: no payload
      {Make(0x40, 3, 9, 200), true, 0, false},       // adaptation field past the packet: lost
      {Make(0x00, 1, 10), false, 184, false},
      {Make(0x00, 1, 0), true, 184, false},          // counter jumps
  };
  TsPayloadReader reader;
  for (std::size_t i = 0; i < std::size(steps); ++i) {
    const TsPidPayload read = reader.Read(steps[i].packet.data());
    EXPECT_EQ(read.afterGap, steps[i].afterGap) << i;
    EXPECT_EQ(read.bytes.size(), steps[i].payloadSize) << i;
    EXPECT_EQ(read.unitStart, steps[i].unitStart) << i;
    EXPECT_TRUE(read.bytes.empty() || read.bytes.data() + read.bytes.size() == steps[i].packet.data() + 188) << i;
  }
}

}  // namespace
}  // namespace velq
