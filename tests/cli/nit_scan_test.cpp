// velqtp scan on built recordings.
#include "cli/nit_scan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "cli/nit_other_networks.h"
#include "cli/scan_command.h"
#include "lists/transponder_list_reader.h"
#include "tests/support/test_files.h"
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

std::vector<SectionBytes> Table(std::uint8_t tableId, std::uint16_t networkId, std::string name,
                                std::vector<Transponder> list) {
  return BuildNitSections({.TableId = tableId, .NetworkId = networkId, .NetworkName = std::move(name),
                           .Transponders = std::move(list), .TranspondersPerSection = 2});
}

// NIT actual and other tables of several networks, interleaved and packed:
// the actual's list, with --all-networks one per position of whole tables.
TEST(ScanAllNetworks, OneListPerPositionOfTheCompleteTables) {
  const auto hotbird = TransponderBand(5, 10700, 130), astra = TransponderBand(5, 11000, 192),
             astra2 = TransponderBand(4, 12000, 282), astraNew = TransponderBand(1, 11500, 192);
  std::vector<SectionBytes> hispasat = Table(0x41, 0x0102, "", TransponderBand(4, 12500, 300, Hemisphere::West));
  hispasat.pop_back();  // its last section never comes: nothing for 30.0 W
  // A second network at 19.2 E, two of its transponders the first one's.
  const std::vector<std::vector<SectionBytes>> tables = {
      Table(0x41, 0x0100, "Astra net", astra), hispasat, Table(0x40, 0x013E, "Hotbird net", hotbird),
      Table(0x41, 0x0103, "", {astra[1], astra[3], astraNew[0]}), Table(0x41, 0x0101, "", astra2)};
  SectionCarrier carrier;
  for (int repetition = 0; repetition < 2; ++repetition)
    for (std::size_t i = 0; i < 3; ++i)
      for (const auto& table : tables)
        if (i < table.size()) carrier.Pack(table[i]);
  std::string recording;
  for (const TsPacket& packet : carrier.Take()) recording.append(packet.begin(), packet.end());
  const test::TempFolder folder;
  test::WriteFile(folder / "capture.ts", recording);
  const std::map<std::string, std::pair<std::string, std::vector<std::string>>> all{
      {"0130.ini", {"Hotbird 6/7A/8 (13\xB0" "E)", ExpectedEntryTexts(hotbird)}},
      {"0192.ini", {"Astra 1F/1G/1H/1KR/1L (19,2\xB0" "E)",
                    ExpectedEntryTexts({astra[0], astra[1], astra[2], astra[3], astra[4], astraNew[0]})}},
      {"0282.ini", {"Astra 2A/2B/2C/2D, Eurobird 1 (28\xB0" "E)", ExpectedEntryTexts(astra2)}},
  };
  for (const bool allNetworks : {false, true}) {
    SCOPED_TRACE(allNetworks);
    const test::TempFolder lists;
    const ScanOptions options{.input = folder / "capture.ts", .folder = lists.path().string(), .maxFreqDiff = {},
                              .allNetworks = allNetworks};
    std::FILE* out = std::fopen((folder / "printed.txt").c_str(), "w");
    ASSERT_EQ(RunScan(options, out, stderr), 0);
    std::fclose(out);
    const std::string printed = test::ReadFile(folder / "printed.txt");
    std::set<std::string> written;
    for (const auto& file : std::filesystem::directory_iterator(lists.path())) written.insert(file.path().filename());
    EXPECT_EQ(written.size(), allNetworks ? 3u : 1u);  // a list of another name fails all.at()
    EXPECT_TRUE(written.contains("0130.ini"));
    for (const std::string& file : written) {
      const TransponderList list = ParseTransponderList(test::ReadFile(lists / file));
      EXPECT_EQ(list.satPositionName, all.at(file).first) << file;
      EXPECT_EQ(list.entries, all.at(file).second) << file;
    }
    EXPECT_EQ(printed.find("NIT other") != std::string::npos, allNetworks);
    if (allNetworks) {
      EXPECT_NE(printed.find("network 256 (0x0100) \"Astra net\": 5 entries"), std::string::npos) << printed;
      EXPECT_NE(printed.find("network 258 (0x0102): incomplete, nothing written"), std::string::npos) << printed;
    }
  }
}

// A hostile stream: a whole other table and the actual's, then 4 KB sections
// of tables that never complete, of 2000 network_ids and then 17 sections
// each of those kept. What is held stays within the bounds, the whole table
// is still decoded, and the scan says what it left out.
TEST(ScanAllNetworks, KeepsWithinItsBoundsAndSaysSo) {
  const test::TempFolder folder;
  std::ofstream recording(folder / "hostile.ts", std::ios::binary);
  NitOtherNetworks others;
  SectionCarrier carrier;
  const auto send = [&] {
    for (const TsPacket& packet : carrier.Take()) {
      others.Push(PacketPayload(packet), (packet[1] & 0x40) != 0);
      recording.write(reinterpret_cast<const char*>(packet.data()), packet.size());
    }
  };
  carrier.Pack(Table(0x41, 0x0100, "", TransponderBand(3, 11000, 192)));
  carrier.Pack(Table(0x40, 0x013E, "", TransponderBand(2, 10700, 130)));
  SectionBytes junk(4096, 0xA5);
  junk[0] = 0x41, junk[1] = 0xBF, junk[2] = 0xFD, junk[5] = 0xC1, junk[7] = 0xFF;  // of 256 sections
  for (const auto [firstId, ids, sections] : {std::array{0x1000, 2000, 1}, std::array{0x1000, 255, 18}}) {
    for (int number = sections == 1 ? 0 : 1; number < sections; ++number, send()) {
      for (int id = firstId; id < firstId + ids; ++id) {
        junk[3] = static_cast<std::uint8_t>(id >> 8), junk[4] = static_cast<std::uint8_t>(id);
        junk[6] = static_cast<std::uint8_t>(number);
        const std::uint32_t crc = Mpeg2Crc32(std::span(junk).first(junk.size() - 4));
        for (int i = 0; i < 4; ++i) junk[junk.size() - 4 + i] = static_cast<std::uint8_t>(crc >> (24 - 8 * i));
        carrier.Pack(junk);
      }
    }
  }
  recording.close();
  EXPECT_EQ(others.Networks().size(), kMaxOtherNetworks);
  EXPECT_LE(others.SectionBytes(), kMaxOtherSectionBytes);
  EXPECT_GT(others.SectionBytes(), kMaxOtherSectionBytes - junk.size());
  EXPECT_EQ(others.Networks().at(0x0100).list.Count(), 3);

  const ScanOptions options{.input = folder / "hostile.ts", .folder = folder.path().string(), .maxFreqDiff = {},
                            .allNetworks = true};
  std::FILE* err = std::fopen((folder / "err.txt").c_str(), "w");
  std::FILE* out = std::fopen("/dev/null", "w");
  EXPECT_EQ(RunScan(options, out, err), 0);
  std::fclose(out), std::fclose(err);
  EXPECT_EQ(test::ReadFile(folder / "err.txt"),
            "velqtp: NIT other: the stream names more than 256 networks; the sections of the others were ignored\n"
            "velqtp: NIT other: the tables held reached 16 MB; later sections were ignored, so some tables may have "
            "stayed incomplete\n");
  EXPECT_EQ(ParseTransponderList(test::ReadFile(folder / "0192.ini")).entries.size(), 3u);
}

}  // namespace
}  // namespace velq
