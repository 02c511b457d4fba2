#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <map>
#include <set>
#include <string>
#include <string_view>

#include "webupdate/tp_catalogue.h"
#include "webupdate/update_all_order.h"

namespace velq {
namespace {

constexpr auto E = CataloguePosition::East;
constexpr auto W = CataloguePosition::West;

TEST(CataloguePositionTest, TextsFollowTheRules) {
  struct Case {
    CataloguePosition position;
    const char* posValue;
    const char* fileName;
  };
  const Case cases[] = {
      {{20, E}, "2.0E", "0020.ini"},       {{48, E}, "4.8E", "0048.ini"},
      {{130, E}, "13.0E", "0130.ini"},     {{8, W}, "0.8W", "3592.ini"},
      {{10, W}, "1.0W", "3590.ini"},       {{125, W}, "12.5W", "3475.ini"},
      {{0, W}, "0.0W", "0000.ini"},        {{1800, E}, "180.0E", "1800.ini"},
      {{1800, W}, "180.0W", "1800.ini"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.posValue);
    EXPECT_EQ(PosQueryValue(c.position), c.posValue);
    EXPECT_EQ(CatalogueFileName(c.position), c.fileName);
    // The download site reads the value back (the odd forms it refuses are
    // in tests/cli/test_serve.py).
    const auto back = ParsePosQueryValue(c.posValue);
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(back->tenths, c.position.tenths);
    EXPECT_EQ(back->side, c.position.side);
  }
  EXPECT_THROW(PosQueryValue({-1, E}), std::invalid_argument);
  EXPECT_THROW(CatalogueFileName({1801, W}), std::invalid_argument);
}

TEST(TpCatalogueTest, EveryRowAgreesWithThePositionRules) {
  for (const CatalogueRow& row : TpCatalogue) {
    SCOPED_TRACE("Button" + std::to_string(row.button));
    EXPECT_EQ(PosQueryValue(row.position), row.posValue);
    EXPECT_EQ(CatalogueFileName(row.position), row.fileName);
  }
}

TEST(TpCatalogueTest, ButtonsFilesAndColumnsAreConsistent) {
  std::set<int> buttons;
  std::set<std::string_view> files;
  std::map<int, int> rowsPerColumn;
  const CatalogueRow* previous = nullptr;
  for (const CatalogueRow& row : TpCatalogue) {
    SCOPED_TRACE("Button" + std::to_string(row.button));
    buttons.insert(row.button);
    files.insert(row.fileName);
    EXPECT_EQ(row.row, ++rowsPerColumn[row.column]) << "window order";
    // Within a column the rows run outward from 0 degrees.
    if (previous && previous->column == row.column) {
      EXPECT_EQ(previous->position.side, row.position.side);
      EXPECT_LT(previous->position.tenths, row.position.tenths);
    }
    previous = &row;
  }
  EXPECT_EQ(buttons.size(), kCatalogueSize);
  EXPECT_EQ(*buttons.begin(), 1);
  EXPECT_EQ(*buttons.rbegin(), 56);
  EXPECT_EQ(files.size(), kCatalogueSize);
  EXPECT_EQ(rowsPerColumn, (std::map<int, int>{{1, 10}, {2, 10}, {3, 10}, {4, 2}, {5, 10}, {6, 10},
                                                {7, 4}}));
}

// Reads "<number>[°]<E|W>" at text[at...] (blanks skipped) into a position;
// advances `at` past it. Returns false when no position stands there.
bool ReadPosition(std::string_view text, std::size_t& at, CataloguePosition& out) {
  while (at < text.size() && text[at] == ' ') ++at;
  std::string number;
  while (at < text.size() && (std::isdigit(static_cast<unsigned char>(text[at])) || text[at] == '.')) {
    number += text[at++];
  }
  if (number.empty()) return false;
  if (at < text.size() && text[at] == '\xB0') ++at;
  while (at < text.size() && text[at] == ' ') ++at;
  if (at >= text.size() || (text[at] != 'E' && text[at] != 'W')) return false;
  out = {static_cast<int>(std::lround(std::atof(number.c_str()) * 10)),
         text[at++] == 'E' ? E : W};
  return true;
}

TEST(TpCatalogueTest, CaptionsNameOnlyTheirOwnPosition) {
  int captionsWithPosition = 0;
  for (const CatalogueRow& row : TpCatalogue) {
    SCOPED_TRACE(row.caption);
    EXPECT_EQ(row.caption.find('\xC2'), std::string_view::npos) << "degree sign must be one byte";
    std::size_t equals = row.caption.find('=');
    if (equals == std::string_view::npos) continue;
    std::size_t at = equals + 1;
    CataloguePosition named{};
    ASSERT_TRUE(ReadPosition(row.caption, at, named));
    EXPECT_EQ(named.tenths, row.position.tenths);
    EXPECT_EQ(named.side, row.position.side);
    ++captionsWithPosition;
  }
  EXPECT_EQ(captionsWithPosition, 43);
  EXPECT_EQ(FindRowByButton(11)->caption, "Astra=23.5\xB0" "E ");
}

TEST(TpCatalogueTest, ColumnLabelsNameTheirFirstAndLastRow) {
  for (int column = 1; column <= kCatalogueColumns; ++column) {
    std::string_view label = ColumnLabel(column);
    SCOPED_TRACE(label);
    CataloguePosition first{}, last{};
    std::size_t at = 0;
    ASSERT_TRUE(ReadPosition(label, at, first));
    ASSERT_EQ(label.substr(at, 2), " :");
    at += 2;
    ASSERT_TRUE(ReadPosition(label, at, last));
    EXPECT_EQ(at, label.size());

    const CatalogueRow* top = nullptr;
    const CatalogueRow* bottom = nullptr;
    for (const CatalogueRow& row : TpCatalogue) {
      if (row.column != column) continue;
      if (!top) top = &row;
      bottom = &row;
    }
    ASSERT_TRUE(top && bottom);
    EXPECT_EQ(PosQueryValue(first), top->posValue);
    EXPECT_EQ(PosQueryValue(last), bottom->posValue);
  }
  EXPECT_EQ(ColumnLabel(5), "0.8\xB0W :15\xB0W");
  EXPECT_EQ(ColumnLabel(0), "");
  EXPECT_EQ(ColumnLabel(8), "");
}

TEST(TpCatalogueTest, LookUps) {
  EXPECT_EQ(FindRowByButton(1)->posValue, "7.0W");
  EXPECT_EQ(FindRowByButton(57), nullptr);
  EXPECT_EQ(FindRowByPosValue("7W"), nullptr);
  EXPECT_EQ(FindRowByPositionCode(3590)->posValue, "1.0W");
}

TEST(UpdateAllOrderTest, FetchesEveryRowExactlyOnce) {
  const auto& steps = UpdateAllOrder();
  std::set<int> buttons;
  for (const CatalogueRow* row : steps) buttons.insert(row->button);
  EXPECT_EQ(buttons.size(), kCatalogueSize);
}

TEST(UpdateAllOrderTest, KnownSteps) {
  const auto& steps = UpdateAllOrder();
  const std::map<std::size_t, std::string_view> expected = {
      {1, "21.5E"}, {10, "39.0E"}, {11, "7.0W"}, {20, "2.0E"}, {24, "0.8W"}, {25, "1.0W"},
      {50, "61.0W"}, {51, "63.0W"}, {52, "9.0E"}, {56, "18.0W"},
  };
  for (const auto& [step, pos] : expected) {
    EXPECT_EQ(steps[step - 1]->posValue, pos) << "step " << step;
  }
  EXPECT_EQ(kUpdateAllCaption, "UPDATE ALL SATS FROM  2\xB0" " E  TO   61\xB0" "W");
}

}  // namespace
}  // namespace velq
