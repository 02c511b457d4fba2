#include "webupdate/tp_catalogue.h"

#include <algorithm>

// Kept apart from the following letter: "\xB0E" would be one hex escape.
#define DEG "\xB0"

namespace velq {

namespace {
constexpr auto E = CataloguePosition::East;
constexpr auto W = CataloguePosition::West;
}  // namespace

constinit const std::array<CatalogueRow, kCatalogueSize> TpCatalogue = {{
    {28, "Astra1C=2" DEG "E", 1, 1, {20, E}, "2.0E", "0020.ini"},
    {2, "Sirius 2=4.8" DEG "E", 1, 2, {48, E}, "4.8E", "0048.ini"},
    {3, "Sirius3=5" DEG "E", 1, 3, {50, E}, "5.0E", "0050.ini"},
    {4, "Eutelsat W3A", 1, 4, {70, E}, "7.0E", "0070.ini"},
    {5, "EuroBird 10", 1, 5, {90, E}, "9.0E", "0090.ini"},
    {6, "Eutelsat W1", 1, 6, {100, E}, "10.0E", "0100.ini"},
    {7, "Hotbird =13" DEG "E", 1, 7, {130, E}, "13.0E", "0130.ini"},
    {8, "Eutelsat W2", 1, 8, {160, E}, "16.0E", "0160.ini"},
    {9, "Astra=19.2" DEG "E", 1, 9, {192, E}, "19.2E", "0192.ini"},
    {10, "Eutelsat W6", 1, 10, {215, E}, "21.5E", "0215.ini"},

    {11, "Astra=23.5" DEG "E ", 2, 1, {235, E}, "23.5E", "0235.ini"},
    {12, "EuroBird 2", 2, 2, {258, E}, "25.8E", "0258.ini"},
    {13, "Badr=26" DEG "E", 2, 3, {260, E}, "26.0E", "0260.ini"},
    {14, "Astra=28.2" DEG "E", 2, 4, {282, E}, "28.2E", "0282.ini"},
    {15, "EuroBird 1", 2, 5, {285, E}, "28.5E", "0285.ini"},
    {16, "Optus A3", 2, 6, {315, E}, "31.5E", "0315.ini"},
    {17, "EuroBird 3", 2, 7, {330, E}, "33.0E", "0330.ini"},
    {18, "Eutelsat W4", 2, 8, {360, E}, "36.0E", "0360.ini"},
    {19, "Hellas Sat 2", 2, 9, {390, E}, "39.0E", "0390.ini"},
    {20, "Express AM1", 2, 10, {400, E}, "40.0E", "0400.ini"},

    {21, "Turksat=42" DEG "E", 3, 1, {420, E}, "42.0E", "0420.ini"},
    {22, "Intelsat =45" DEG "E", 3, 2, {450, E}, "45.0E", "0450.ini"},
    {23, "Express=53" DEG "E", 3, 3, {530, E}, "53.0E", "0530.ini"},
    {24, "Intelsat =55" DEG "E", 3, 4, {550, E}, "55.0E", "0550.ini"},
    {25, "NSS =57" DEG "E", 3, 5, {570, E}, "57.0E", "0570.ini"},
    {26, "Intelsat=60E", 3, 6, {600, E}, "60.0E", "0600.ini"},
    {27, "Intelsat=62E", 3, 7, {620, E}, "62.0E", "0620.ini"},
    {30, "Intelsat=64E", 3, 8, {640, E}, "64.0E", "0640.ini"},
    {29, "Intelsat=68.5E", 3, 9, {685, E}, "68.5E", "0685.ini"},
    {37, "Eutelsat=70.5E", 3, 10, {705, E}, "70.5E", "0705.ini"},

    {35, "Intelsat=72E", 4, 1, {720, E}, "72.0E", "0720.ini"},
    {36, "ABS-1=75E", 4, 2, {750, E}, "75.0E", "0750.ini"},

    {31, "Thor= 0.8W", 5, 1, {8, W}, "0.8W", "3592.ini"},
    {32, "Intelsat=1W", 5, 2, {10, W}, "1.0W", "3590.ini"},
    {33, "Amos=4W", 5, 3, {40, W}, "4.0W", "3560.ini"},
    {34, "Atlantic Bird", 5, 4, {50, W}, "5.0W", "3550.ini"},
    {1, "NILESAT=7W", 5, 5, {70, W}, "7.0W", "3530.ini"},
    {38, "Atlantic=8W", 5, 6, {80, W}, "8.0W", "3520.ini"},
    {39, "Express=11W", 5, 7, {110, W}, "11.0W", "3490.ini"},
    {40, "Atlantic=12.5W", 5, 8, {125, W}, "12.5W", "3475.ini"},
    {41, "Express=14W", 5, 9, {140, W}, "14.0W", "3460.ini"},
    {42, "Telstar=15W", 5, 10, {150, W}, "15.0W", "3450.ini"},

    {43, "Intelsat=18W", 6, 1, {180, W}, "18.0W", "3420.ini"},
    {44, "NSS 7=22W", 6, 2, {220, W}, "22.0W", "3380.ini"},
    {45, "Intelsat =24.5W", 6, 3, {245, W}, "24.5W", "3355.ini"},
    {46, "Intelsat=27.5W", 6, 4, {275, W}, "27.5W", "3325.ini"},
    {47, "Hispasat=30W", 6, 5, {300, W}, "30.0W", "3300.ini"},
    {48, "Intelsat=31.5W", 6, 6, {315, W}, "31.5W", "3285.ini"},
    {49, "Intelsat=34.5W", 6, 7, {345, W}, "34.5W", "3255.ini"},
    {50, "Telstar=37.5W", 6, 8, {375, W}, "37.5W", "3225.ini"},
    {51, "Intelsat=43W", 6, 9, {430, W}, "43.0W", "3170.ini"},
    {52, "Intelsat=45W", 6, 10, {450, W}, "45.0W", "3150.ini"},

    {53, "Intelsat=53W", 7, 1, {530, W}, "53.0W", "3070.ini"},
    {54, "Intelsat=58W", 7, 2, {580, W}, "58.0W", "3020.ini"},
    {55, "Amazonas=61W", 7, 3, {610, W}, "61.0W", "2990.ini"},
    {56, "Hotbird 1=63W", 7, 4, {630, W}, "63.0W", "2970.ini"},
}};

namespace {
// Column 5 really has no blank after the colon.
constexpr std::array<std::string_view, kCatalogueColumns> kColumnLabels = {
    "2" DEG "E : 21.5" DEG "E", "23.5" DEG "E : 40" DEG "E", "42" DEG "E : 70.5" DEG "E",
    "72" DEG "E : 75" DEG "E",  "0.8" DEG "W :15" DEG "W",   "18" DEG "W : 45" DEG "W",
    "53" DEG "W : 63" DEG "W",
};

template <typename Match>
const CatalogueRow* FindRow(Match match) {
  auto it = std::find_if(TpCatalogue.begin(), TpCatalogue.end(), match);
  return it == TpCatalogue.end() ? nullptr : &*it;
}
}  // namespace

const CatalogueRow* FindRowByButton(int button) {
  return FindRow([button](const CatalogueRow& r) { return r.button == button; });
}

const CatalogueRow* FindRowByPosValue(std::string_view posValue) {
  return FindRow([posValue](const CatalogueRow& r) { return r.posValue == posValue; });
}

const CatalogueRow* FindRowByPositionCode(int code) {
  return FindRow(
      [code](const CatalogueRow& r) { return CataloguePositionCode(r.position) == code; });
}

std::string_view ColumnLabel(int column) {
  if (column < 1 || column > kCatalogueColumns) return {};
  return kColumnLabels[static_cast<std::size_t>(column - 1)];
}

}  // namespace velq

#undef DEG
