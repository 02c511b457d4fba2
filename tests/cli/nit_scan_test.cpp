// velqtp scan on built recordings.
#include "cli/nit_scan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "cli/nit_other_networks.h"
#include "tools/nit_builder/crc32.h"
#include "tools/nit_builder/nit_layouts.h"

namespace velq {
namespace {

// Each layout joined mid-section, read in odd blocks, with a long tail after
// the table that is never read. From the start: test_layouts.py.
TEST(ScanForNit, FindsTheTableOfEveryLayoutAndReadsNoFurther) {
  for (const NitLayout& layout : BuildNitLayouts()) {
    SCOPED_TRACE(layout.Name);
    std::vector<std::uint8_t> stream;
    for (std::size_t i = 1; i < layout.Packets.size(); ++i) {
      stream.insert(stream.end(), layout.Packets[i].begin(), layout.Packets[i].end());
    }
    const std::size_t tableEnd = stream.size();
    for (std::size_t at = tableEnd; at < tableEnd + 2 * kScanBlockSize; at += 188) {
      stream.insert(stream.end(), {0x47, 0x1F, 0xFF, 0x10});  // null packets
      stream.resize(at + 188, 0xFF);
    }
    std::size_t offset = 0;
    const NitScanResult result = ScanForNit([&](std::uint8_t* buffer, std::size_t capacity) {
      const std::size_t n = std::min({capacity, std::size_t{1000}, stream.size() - offset});
      std::memcpy(buffer, stream.data() + offset, n);
      offset += n;
      return n;
    });
    ASSERT_TRUE(result.tableParsed);
    EXPECT_EQ(result.list.CheckedTexts(), ExpectedEntryTexts(layout.Expected));  // ascending in the table
    EXPECT_EQ(result.position.SatPositionCode + ".ini", layout.ListFile);
    EXPECT_LT(result.bytesRead, tableEnd + kScanBlockSize);
  }
}

// A hostile stream: a whole other table, then 4 KB sections of tables that
// never complete, of 2000 network_ids and then 17 sections each of those
// kept. What is held stays within the bounds, the whole table is still
// decoded, and the scan says what it left out.
TEST(ScanAllNetworks, KeepsWithinItsBoundsAndSaysSo) {
  NitOtherNetworks others;
  SectionCarrier carrier;
  carrier.Pack(BuildNitSections({.TableId = 0x41, .NetworkId = 256, .Transponders = TransponderBand(3, 11000, 192)}));
  SectionBytes junk(4096, 0xA5);
  junk[0] = 0x41, junk[1] = 0xBF, junk[2] = 0xFD, junk[5] = 0xC1, junk[7] = 0xFF;  // of 256 sections
  for (int number = 0; number < 18; ++number) {
    for (int id = 0x1000; id < 0x1000 + (number == 0 ? 2000 : 255); ++id) {
      junk[3] = static_cast<std::uint8_t>(id >> 8), junk[4] = static_cast<std::uint8_t>(id);
      junk[6] = static_cast<std::uint8_t>(number);
      const std::uint32_t crc = Mpeg2Crc32(std::span(junk).first(junk.size() - 4));
      for (int i = 0; i < 4; ++i) junk[junk.size() - 4 + i] = static_cast<std::uint8_t>(crc >> (24 - 8 * i));
      carrier.Pack(junk);
    }
    for (const TsPacket& packet : carrier.Take()) others.Push(PacketPayload(packet), (packet[1] & 0x40) != 0);
  }
  EXPECT_EQ(others.Networks().size(), kMaxOtherNetworks);
  EXPECT_LE(others.SectionBytes(), kMaxOtherSectionBytes);
  EXPECT_GT(others.SectionBytes(), kMaxOtherSectionBytes - junk.size());
  EXPECT_EQ(others.Networks().at(256).list.Count(), 3);
  EXPECT_EQ(others.BoundNotes(),
            (std::vector<std::string>{"NIT other: the stream names more than 256 networks; the sections of the "
                                      "others were ignored",
                                      "NIT other: the tables held reached 16 MB; later sections were ignored, so "
                                      "some tables may have stayed incomplete"}));
}

}  // namespace
}  // namespace velq
