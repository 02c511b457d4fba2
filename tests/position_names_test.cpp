#include "search/position_names.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace velq {
namespace {

// Catches rows lost, doubled or moved in transcription: 94 east rows rising,
// then 74 west rows falling.
TEST(PositionNameTable, EastRowsRiseThenWestRowsFallEachKeyOnce) {
  ASSERT_EQ(PositionNameTable.size(), 168u);
  for (std::size_t i = 0; i < PositionNameTable.size(); ++i) {
    EXPECT_EQ(PositionNameTable[i].hemisphere, i < 94 ? Hemisphere::East : Hemisphere::West) << "row " << i;
    const int key = PositionNameTable[i].Key, previousKey = i ? PositionNameTable[i - 1].Key : 0;
    EXPECT_TRUE(i == 94 || (i < 94 ? previousKey < key : previousKey > key)) << "row " << i;
  }
}

// Names byte for byte, odd spaces and letters included; nullptr: no row.
TEST(LookUpPositionName, ExactKeyAndHemisphereGiveTheNameByteForByte) {
  constexpr auto E = Hemisphere::East, W = Hemisphere::West;
  const struct { int tenths; Hemisphere hemisphere; const char* name; } cases[] = {
      {192, E, "Astra 1F/1G/1H/1KR/1L (19,2\xB0" "E)"}, {215, E, "Eutelsat W6"}, {215, W, "NSS K , 803"},
      {1009, W, " DirecTV 1R, 2, 3"}, {685, E, "Panamsat  7, 10"}, {500, W, "ntelsat 705"}, {313, E, "T\xFCrksat 1B"},
      {548, E, "Intelsat 702"}, {1770, E, "Intelsat 702"}, {8, W, "Thor 1, 2, 3"}, {1800, E, "Intelsat 701"},
      {610, W, ""}, {193, E, nullptr}, {191, E, nullptr}, {192, W, nullptr}, {0, E, nullptr}, {1800, W, nullptr},
  };
  for (const auto& c : cases) {
    const auto name = LookUpPositionName(c.tenths, c.hemisphere);
    EXPECT_EQ(name, c.name ? std::optional<std::string>(c.name) : std::nullopt) << c.tenths;
  }
}

}  // namespace
}  // namespace velq
