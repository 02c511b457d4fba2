// velqtp scan on built recordings.
#include "cli/nit_scan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "cli/scan_command.h"
#include "lists/transponder_list_reader.h"
#include "tests/support/test_files.h"
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

}  // namespace
}  // namespace velq
