#include "webupdate/tp_catalogue.h"

#include <gtest/gtest.h>

#include <iterator>
#include <tuple>
#include <string_view>

#include "webupdate/update_all_order.h"

#define DEG "\xB0"  // apart from the next letter: "\xB0E" would be one escape

namespace velq {
namespace {

// The catalogue as the window shows it, written out by hand in window order.
struct ExpectedRow { int button; std::string_view caption; int column, row; std::string_view posValue, fileName; };
const ExpectedRow kCatalogue[] = {
    {28, "Astra1C=2" DEG "E", 1, 1, "2.0E", "0020.ini"}, {2, "Sirius 2=4.8" DEG "E", 1, 2, "4.8E", "0048.ini"},
    {3, "Sirius3=5" DEG "E", 1, 3, "5.0E", "0050.ini"},  {4, "Eutelsat W3A", 1, 4, "7.0E", "0070.ini"},
    {5, "EuroBird 10", 1, 5, "9.0E", "0090.ini"},        {6, "Eutelsat W1", 1, 6, "10.0E", "0100.ini"},
    {7, "Hotbird =13" DEG "E", 1, 7, "13.0E", "0130.ini"}, {8, "Eutelsat W2", 1, 8, "16.0E", "0160.ini"},
    {9, "Astra=19.2" DEG "E", 1, 9, "19.2E", "0192.ini"}, {10, "Eutelsat W6", 1, 10, "21.5E", "0215.ini"},
    {11, "Astra=23.5" DEG "E ", 2, 1, "23.5E", "0235.ini"}, {12, "EuroBird 2", 2, 2, "25.8E", "0258.ini"},
    {13, "Badr=26" DEG "E", 2, 3, "26.0E", "0260.ini"},  {14, "Astra=28.2" DEG "E", 2, 4, "28.2E", "0282.ini"},
    {15, "EuroBird 1", 2, 5, "28.5E", "0285.ini"},       {16, "Optus A3", 2, 6, "31.5E", "0315.ini"},
    {17, "EuroBird 3", 2, 7, "33.0E", "0330.ini"},       {18, "Eutelsat W4", 2, 8, "36.0E", "0360.ini"},
    {19, "Hellas Sat 2", 2, 9, "39.0E", "0390.ini"},     {20, "Express AM1", 2, 10, "40.0E", "0400.ini"},
    {21, "Turksat=42" DEG "E", 3, 1, "42.0E", "0420.ini"}, {22, "Intelsat =45" DEG "E", 3, 2, "45.0E", "0450.ini"},
    {23, "Express=53" DEG "E", 3, 3, "53.0E", "0530.ini"}, {24, "Intelsat =55" DEG "E", 3, 4, "55.0E", "0550.ini"},
    {25, "NSS =57" DEG "E", 3, 5, "57.0E", "0570.ini"},  {26, "Intelsat=60E", 3, 6, "60.0E", "0600.ini"},
    {27, "Intelsat=62E", 3, 7, "62.0E", "0620.ini"},     {30, "Intelsat=64E", 3, 8, "64.0E", "0640.ini"},
    {29, "Intelsat=68.5E", 3, 9, "68.5E", "0685.ini"},   {37, "Eutelsat=70.5E", 3, 10, "70.5E", "0705.ini"},
    {35, "Intelsat=72E", 4, 1, "72.0E", "0720.ini"},     {36, "ABS-1=75E", 4, 2, "75.0E", "0750.ini"},
    {31, "Thor= 0.8W", 5, 1, "0.8W", "3592.ini"},        {32, "Intelsat=1W", 5, 2, "1.0W", "3590.ini"},
    {33, "Amos=4W", 5, 3, "4.0W", "3560.ini"},           {34, "Atlantic Bird", 5, 4, "5.0W", "3550.ini"},
    {1, "NILESAT=7W", 5, 5, "7.0W", "3530.ini"},         {38, "Atlantic=8W", 5, 6, "8.0W", "3520.ini"},
    {39, "Express=11W", 5, 7, "11.0W", "3490.ini"},      {40, "Atlantic=12.5W", 5, 8, "12.5W", "3475.ini"},
    {41, "Express=14W", 5, 9, "14.0W", "3460.ini"},      {42, "Telstar=15W", 5, 10, "15.0W", "3450.ini"},
    {43, "Intelsat=18W", 6, 1, "18.0W", "3420.ini"},     {44, "NSS 7=22W", 6, 2, "22.0W", "3380.ini"},
    {45, "Intelsat =24.5W", 6, 3, "24.5W", "3355.ini"},  {46, "Intelsat=27.5W", 6, 4, "27.5W", "3325.ini"},
    {47, "Hispasat=30W", 6, 5, "30.0W", "3300.ini"},     {48, "Intelsat=31.5W", 6, 6, "31.5W", "3285.ini"},
    {49, "Intelsat=34.5W", 6, 7, "34.5W", "3255.ini"},   {50, "Telstar=37.5W", 6, 8, "37.5W", "3225.ini"},
    {51, "Intelsat=43W", 6, 9, "43.0W", "3170.ini"},     {52, "Intelsat=45W", 6, 10, "45.0W", "3150.ini"},
    {53, "Intelsat=53W", 7, 1, "53.0W", "3070.ini"},     {54, "Intelsat=58W", 7, 2, "58.0W", "3020.ini"},
    {55, "Amazonas=61W", 7, 3, "61.0W", "2990.ini"},     {56, "Hotbird 1=63W", 7, 4, "63.0W", "2970.ini"},
};

TEST(TpCatalogueTest, EveryRowAsDocumented) {
  ASSERT_EQ(TpCatalogue.size(), std::size(kCatalogue));
  for (std::size_t i = 0; i < TpCatalogue.size(); ++i) {
    const CatalogueRow& row = TpCatalogue[i];
    const ExpectedRow& e = kCatalogue[i];
    EXPECT_EQ(std::make_tuple(row.button, row.caption, row.column, row.row, row.posValue, row.fileName),
              std::make_tuple(e.button, e.caption, e.column, e.row, e.posValue, e.fileName));
    EXPECT_EQ(FindRowByButton(e.button), &row) << e.posValue;
    // The position field, which the look-up by file code and the download
    // site use, names the same place, and the site reads the value back.
    EXPECT_EQ(PosQueryValue(row.position), e.posValue);
    EXPECT_EQ(CatalogueFileName(row.position), e.fileName);
    const auto back = ParsePosQueryValue(e.posValue);
    EXPECT_TRUE(back && CatalogueFileName(*back) == e.fileName) << e.posValue;
  }
  EXPECT_EQ(kUpdateAllCaption, "UPDATE ALL SATS FROM  2" DEG " E  TO   61" DEG "W");
  const std::string_view labels[] = {
      "2" DEG "E : 21.5" DEG "E", "23.5" DEG "E : 40" DEG "E", "42" DEG "E : 70.5" DEG "E", "72" DEG "E : 75" DEG "E",
      "0.8" DEG "W :15" DEG "W",  "18" DEG "W : 45" DEG "W",   "53" DEG "W : 63" DEG "W"};
  for (int column = 1; column <= kCatalogueColumns; ++column)
    EXPECT_EQ(ColumnLabel(column), labels[column - 1]) << column;
}

}  // namespace
}  // namespace velq
