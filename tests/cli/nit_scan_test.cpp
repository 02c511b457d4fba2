#include "cli/nit_scan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "tools/nit_builder/nit_builder.h"

namespace velq {
namespace {

using Bytes = std::vector<std::uint8_t>;

std::vector<Transponder> Transponders(int count) {
  std::vector<Transponder> list;
  for (int i = 0; i < count; ++i) {
    list.push_back({.FrequencyKhz = 10700000u + 20000u * static_cast<std::uint32_t>(i),
                    .PositionTenths = 130,
                    .polarisation = i % 2 ? Polarisation::Vertical : Polarisation::Horizontal,
                    .SymbolRate = 27500000});
  }
  return list;
}

void Append(Bytes& out, const std::vector<TsPacket>& packets) {
  for (const TsPacket& p : packets) out.insert(out.end(), p.begin(), p.end());
}

Bytes NitPackets(const std::vector<Transponder>& transponders) {
  Bytes out;
  Append(out, SectionsToPackets(BuildNitSections({.Transponders = transponders, .TranspondersPerSection = 4})));
  return out;
}

Bytes NullPackets(std::size_t count) {
  Bytes out;
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint8_t header[4] = {0x47, 0x1F, 0xFF, 0x10};
    out.insert(out.end(), header, header + 4);
    out.insert(out.end(), 184, 0xFF);
  }
  return out;
}

// Hands out `stream` at most `chunk` bytes per call, as a pipe might.
BlockReader ReaderOf(const Bytes& stream, std::size_t chunk, std::size_t& offset) {
  return [&stream, chunk, &offset](std::uint8_t* buffer, std::size_t capacity) {
    const std::size_t n = std::min({capacity, chunk, stream.size() - offset});
    std::memcpy(buffer, stream.data() + offset, n);
    offset += n;
    return n;
  };
}

TEST(ScanForNit, DecodesTheFirstTableAndStopsReadingThere) {
  Bytes stream = NullPackets(100);
  const Bytes table = NitPackets(Transponders(10));
  stream.insert(stream.end(), table.begin(), table.end());
  const std::size_t tableEnd = stream.size();
  const Bytes rest = NullPackets(kScanBlockSize / 188 * 3);
  stream.insert(stream.end(), rest.begin(), rest.end());

  for (std::size_t chunk : {kScanBlockSize, std::size_t{1000}, std::size_t{1}}) {
    SCOPED_TRACE(chunk);
    std::size_t offset = 0;
    const NitScanResult result = ScanForNit(ReaderOf(stream, chunk, offset));
    EXPECT_TRUE(result.tableParsed);
    ASSERT_EQ(result.list.Count(), 10);
    EXPECT_EQ(result.list.Text(0), "10700,H,27500,34,DVB-S,QPSK");
    EXPECT_EQ(result.list.Text(9), "10880,V,27500,34,DVB-S,QPSK");
    EXPECT_EQ(result.position.SatPositionCode, "0130");
    EXPECT_EQ(result.satelliteLine, "Hotbird 6/7A/8 (13\xB0" "E) 13 \xB0" "E");
    EXPECT_EQ(result.packetDistance, 188u);
    // Reading ends within the block that completed the table.
    EXPECT_LT(result.bytesRead, tableEnd + std::max(chunk, kScanBlockSize / 2) + 1);
    EXPECT_LT(result.bytesRead, stream.size());
  }
}

}  // namespace
}  // namespace velq
