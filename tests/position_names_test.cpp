#include "search/position_names.h"

#include <gtest/gtest.h>

#include <set>
#include <utility>

namespace velq {
namespace {

// Catches rows lost, doubled or moved in transcription.
TEST(PositionNameTable, EastRowsRiseThenWestRowsFallEachKeyOnce) {
  std::set<std::pair<int, Hemisphere>> keys;
  for (std::size_t i = 0; i < PositionNameTable.size(); ++i) {
    const PositionNameRow& row = PositionNameTable[i];
    EXPECT_TRUE(keys.insert({row.Key, row.hemisphere}).second) << "row " << i;
    EXPECT_EQ(row.hemisphere, i < 94 ? Hemisphere::East : Hemisphere::West) << "row " << i;
    if (i == 0 || i == 94) continue;
    const int previousKey = PositionNameTable[i - 1].Key;
    EXPECT_TRUE(i < 94 ? previousKey < row.Key : previousKey > row.Key) << "row " << i;
  }
}

struct NamedPosition {
  int Tenths;
  Hemisphere hemisphere;
  const char* Name;
};

TEST(LookUpPositionName, GivesTheNamesByteForByte) {
  const NamedPosition cases[] = {
      {192, Hemisphere::East, "Astra 1F/1G/1H/1KR/1L (19,2\xB0" "E)"},
      {130, Hemisphere::East, "Hotbird 6/7A/8 (13\xB0" "E)"},
      {70, Hemisphere::West, "Nilesat 101,102,103"},
      {215, Hemisphere::East, "Eutelsat W6"},
      {215, Hemisphere::West, "NSS K , 803"},
      {1009, Hemisphere::West, " DirecTV 1R, 2, 3"},
      {910, Hemisphere::West, " Galaxy 11"},
      {909, Hemisphere::West, " Nimiq 1"},
      {685, Hemisphere::East, "Panamsat  7, 10"},
      {500, Hemisphere::West, "ntelsat 705"},
      {313, Hemisphere::East, "T\xFCrksat 1B"},
      {420, Hemisphere::East, "T\xFCrksat 1C/2A (42\xB0" "E)"},
      {48, Hemisphere::East, "Sirius 2/3 (5\xB0" "E)"},
      {50, Hemisphere::East, "Sirius 2/3 (5\xB0" "E)"},
      {548, Hemisphere::East, "Intelsat 702"},
      {550, Hemisphere::East, "Intelsat 702"},
      {1770, Hemisphere::East, "Intelsat 702"},
      {8, Hemisphere::West, "Thor 1, 2, 3"},
      {1800, Hemisphere::East, "Intelsat 701"},
      {610, Hemisphere::West, ""},
  };
  for (const NamedPosition& c : cases) {
    const auto name = LookUpPositionName(c.Tenths, c.hemisphere);
    ASSERT_TRUE(name.has_value()) << c.Tenths;
    EXPECT_EQ(*name, c.Name) << c.Tenths;
  }
}

TEST(LookUpPositionName, MatchesOnlyTheExactKeyAndHemisphere) {
  const std::pair<int, Hemisphere> unknown[] = {
      {193, Hemisphere::East}, {191, Hemisphere::East}, {192, Hemisphere::West},
      {0, Hemisphere::East},   {1800, Hemisphere::West}, {9999, Hemisphere::East},
  };
  for (const auto& [tenths, hemisphere] : unknown) {
    EXPECT_FALSE(LookUpPositionName(tenths, hemisphere).has_value()) << tenths;
  }
}

}  // namespace
}  // namespace velq
