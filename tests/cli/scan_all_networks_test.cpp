// velqtp scan --all-networks on a built recording: the NIT actual and NIT
// other tables of several networks, their sections interleaved and packed
// back to back, repeated twice.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "cli/scan_command.h"
#include "lists/transponder_list_reader.h"
#include "tools/nit_builder/nit_builder.h"
#include "tests/support/test_files.h"

namespace velq {
namespace {

std::vector<Transponder> Band(std::uint32_t firstMhz, int count, std::uint16_t tenths, Hemisphere hemisphere) {
  std::vector<Transponder> list;
  for (int i = 0; i < count; ++i) {
    list.push_back({.FrequencyKhz = (firstMhz + 10u * static_cast<std::uint32_t>(i)) * 1000u,
                    .PositionTenths = tenths,
                    .hemisphere = hemisphere,
                    .polarisation = i % 2 ? Polarisation::Vertical : Polarisation::Horizontal,
                    .SymbolRate = 27500000});
  }
  return list;
}

NitTable Table(std::uint8_t tableId, std::uint16_t networkId, std::string name, std::vector<Transponder> list) {
  return {.TableId = tableId, .NetworkId = networkId, .NetworkName = std::move(name),
          .Transponders = std::move(list), .TranspondersPerSection = 2};
}

std::string Recording(const std::vector<std::vector<SectionBytes>>& tables) {
  SectionCarrier carrier;
  for (int repetition = 0; repetition < 2; ++repetition) {
    for (std::size_t i = 0; i < 3; ++i) {
      for (const auto& table : tables) {
        if (i < table.size()) carrier.Pack(table[i]);
      }
    }
  }
  std::string bytes;
  for (const TsPacket& packet : carrier.Take()) bytes.append(packet.begin(), packet.end());
  return bytes;
}

std::vector<std::string> EntriesOf(const std::vector<std::vector<Transponder>>& tables) {
  std::set<std::string> entries;
  for (const auto& table : tables) {
    for (const Transponder& t : table) entries.insert(ExpectedEntryText(t));
  }
  return {entries.begin(), entries.end()};
}

std::string Contents(std::FILE* file) {
  std::rewind(file);
  std::string text;
  for (int c; (c = std::fgetc(file)) != EOF;) text += static_cast<char>(c);
  return text;
}

TEST(ScanAllNetworks, OneListPerPositionOfTheCompleteTables) {
  const auto hotbird = Band(10700, 5, 130, Hemisphere::East);
  const auto astra = Band(11000, 5, 192, Hemisphere::East);
  // A second network at 19.2 E, two of its transponders the first one's.
  const std::vector<Transponder> astraToo{astra[1], astra[3], Band(11500, 1, 192, Hemisphere::East)[0]};
  const auto astra2 = Band(12000, 4, 282, Hemisphere::East);
  std::vector<SectionBytes> hispasat = BuildNitSections(Table(0x41, 0x0102, "", Band(12500, 4, 300, Hemisphere::West)));
  hispasat.pop_back();  // its last section never comes: nothing for 30.0 W

  test::TempFolder folder;
  const std::string capture = folder / "capture.ts";
  test::WriteFile(capture, Recording({
      BuildNitSections(Table(0x41, 0x0100, "Astra net", astra)),
      hispasat,
      BuildNitSections(Table(0x40, 0x013E, "Hotbird net", hotbird)),
      BuildNitSections(Table(0x41, 0x0103, "", astraToo)),
      BuildNitSections(Table(0x41, 0x0101, "", astra2)),
  }));

  struct Expected {
    std::string name;
    std::vector<std::string> entries;
  };
  const std::map<std::string, Expected> all{
      {"0130.ini", {"Hotbird 6/7A/8 (13\xB0" "E)", EntriesOf({hotbird})}},
      {"0192.ini", {"Astra 1F/1G/1H/1KR/1L (19,2\xB0" "E)", EntriesOf({astra, astraToo})}},
      {"0282.ini", {"Astra 2A/2B/2C/2D, Eurobird 1 (28\xB0" "E)", EntriesOf({astra2})}},
  };
  for (const bool allNetworks : {false, true}) {
    SCOPED_TRACE(allNetworks);
    const test::TempFolder lists;
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    ScanOptions options;
    options.input = capture;
    options.folder = lists.path().string();
    options.allNetworks = allNetworks;
    ASSERT_EQ(RunScan(options, out, err), 0) << Contents(err);
    const std::string printed = Contents(out);
    std::fclose(out);
    std::fclose(err);

    std::set<std::string> written;
    for (const auto& file : std::filesystem::directory_iterator(lists.path())) {
      written.insert(file.path().filename().string());
    }
    const std::set<std::string> expected =
        allNetworks ? std::set<std::string>{"0130.ini", "0192.ini", "0282.ini"} : std::set<std::string>{"0130.ini"};
    EXPECT_EQ(written, expected);
    for (const std::string& file : written) {
      SCOPED_TRACE(file);
      const TransponderList list = ParseTransponderList(test::ReadFile(lists / file));
      EXPECT_EQ(list.satPositionName, all.at(file).name);
      EXPECT_EQ(list.entries, all.at(file).entries);
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
