#include "cli/ts_packet_framer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace velq {
namespace {

using Bytes = std::vector<std::uint8_t>;

// A 188-byte packet whose payload starts with `tag`, so that tests can tell
// payloads apart.
Bytes Packet(std::uint16_t pid, std::uint8_t tag, bool payload = true) {
  Bytes p(kTsPacketSize);
  for (std::size_t i = 0; i < p.size(); ++i) p[i] = static_cast<std::uint8_t>(i * 7);  // stray 0x47s too
  p[0] = kTsSyncByte;
  p[1] = static_cast<std::uint8_t>(pid >> 8);
  p[2] = static_cast<std::uint8_t>(pid);
  p[3] = payload ? 0x10 : 0x20;  // payload only, or adaptation field only
  p[4] = tag;
  return p;
}

// `count` packets, every third on PID 0x0010, in units of `stride` bytes:
// 192 puts a time stamp before each packet, 204 parity bytes after it. Both
// hold 0x47s that line up as well as the sync bytes do.
Bytes Stream(int count, std::size_t stride, std::uint8_t firstTag = 0) {
  Bytes out;
  for (int i = 0; i < count; ++i) {
    const Bytes p = Packet(i % 3 == 0 ? 0x0010 : 0x0100, static_cast<std::uint8_t>(firstTag + i));
    if (stride == 192) out.insert(out.end(), {0x00, 0x47, 0x47, 0x01});
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

Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& part : parts) out.insert(out.end(), part.begin(), part.end());
  return out;
}

struct Framed {
  std::vector<std::uint8_t> tags;  // first payload byte of each NIT payload
  std::size_t stride = 0;
  std::uint64_t resyncs = 0;
};

// Feeds `stream` in blocks of `block` bytes the way velqtp does: the undone
// tail moves to the front of the next call.
Framed Frame(const Bytes& stream, std::size_t block, int stopAfter = -1) {
  Framed framed;
  TsPacketFramer framer(0x0010, [&](const std::uint8_t* packet) {
    framed.tags.push_back(packet[4]);
    return stopAfter < 0 || static_cast<int>(framed.tags.size()) < stopAfter;
  });
  Bytes buffer;
  std::size_t offset = 0;
  bool atEnd = false;
  while (!atEnd && !framer.stopped()) {
    const std::size_t take = std::min(block, stream.size() - offset);
    buffer.insert(buffer.end(), stream.begin() + static_cast<std::ptrdiff_t>(offset),
                  stream.begin() + static_cast<std::ptrdiff_t>(offset + take));
    offset += take;
    atEnd = take == 0;
    const std::size_t done = framer.Frame(buffer.data(), buffer.size(), atEnd);
    EXPECT_LE(buffer.size() - done, kTsFramerMaxTail);
    buffer.erase(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(done));
  }
  framed.stride = framer.stride();
  framed.resyncs = framer.resyncs();
  return framed;
}

const std::vector<std::uint8_t> kTagsOf12 = {0, 3, 6, 9};

TEST(TsPacketFramer, FindsEveryPacketSizeBehindGarbageWhateverTheBlockSize) {
  struct Case {
    std::size_t stride;
    std::size_t garbage;
    std::size_t block;
  };
  for (const Case& c : std::vector<Case>{{188, 0, 1 << 20}, {188, 1000, 1}, {188, 77, 189},
                                         {192, 0, 1 << 20}, {192, 500, 7},  {204, 0, 1 << 20},
                                         {204, 333, 203}, {204, 5, 1}}) {
    SCOPED_TRACE(testing::Message() << "stride " << c.stride << ", garbage " << c.garbage
                                    << ", block " << c.block);
    const Framed framed = Frame(Concat({Garbage(c.garbage), Stream(12, c.stride)}), c.block);
    EXPECT_EQ(framed.tags, kTagsOf12);
    EXPECT_EQ(framed.stride, c.stride);
  }
}

TEST(TsPacketFramer, ResynchronisesAfterGarbageBetweenPackets) {
  const Bytes stream = Concat({Stream(6, 188), Garbage(1001), Stream(6, 188, 6)});
  for (std::size_t block : {std::size_t{1} << 20, std::size_t{100}}) {
    const Framed framed = Frame(stream, block);
    EXPECT_EQ(framed.tags, kTagsOf12) << "block " << block;
    EXPECT_EQ(framed.resyncs, 1u);
  }
}

TEST(TsPacketFramer, ACutPacketIsDroppedAndTheNextOneFound) {
  Bytes cut = Stream(6, 188);
  cut.resize(cut.size() - 100);  // the sixth packet loses its tail
  const Framed framed = Frame(Concat({cut, Stream(6, 188, 6)}), 4096);
  EXPECT_EQ(framed.tags, (std::vector<std::uint8_t>{0, 3, 6, 9}));
}

TEST(TsPacketFramer, SkipsOtherPids) {
  const Bytes stream = Concat({Packet(0x0010, 1), Packet(0x0011, 2), Packet(0x1FFF, 3),
                               Packet(0x0010, 4, false), Packet(0x4010, 5), Packet(0x0010, 6)});
  // 0x4010: the start flag beside the PID does not count.
  EXPECT_EQ(Frame(stream, 1 << 20).tags, (std::vector<std::uint8_t>{1, 4, 5, 6}));
}

TEST(TsPacketFramer, StopsWhenTheHandlerSaysSo) {
  TsPacketFramer framer(0x0010, [](const std::uint8_t*) { return false; });
  const Bytes stream = Stream(12, 188);
  const std::size_t done = framer.Frame(stream.data(), stream.size(), false);
  EXPECT_TRUE(framer.stopped());
  EXPECT_EQ(done, kTsPacketSize);  // the first packet was on PID 0x0010
  EXPECT_EQ(framer.packets(), 1u);
}

TEST(TsPacketFramer, ShortStreamsAtTheEnd) {
  EXPECT_EQ(Frame(Stream(1, 188), 1 << 20).tags, (std::vector<std::uint8_t>{0}));
  EXPECT_EQ(Frame(Stream(2, 204), 1 << 20).tags, (std::vector<std::uint8_t>{0}));
  EXPECT_TRUE(Frame(Bytes(187, 0x47), 1 << 20).tags.empty());
  EXPECT_TRUE(Frame(Garbage(5000), 1 << 20).tags.empty());
  EXPECT_TRUE(Frame(Bytes(), 1 << 20).tags.empty());
}

}  // namespace
}  // namespace velq
