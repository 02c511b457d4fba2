#include "webupdate/update_all_order.h"

#include <stdexcept>
#include <string>

namespace velq {

namespace {
// Step 51 fetches 63.0W, the one row that no other step fetches, so that
// update-all brings every list of the catalogue.
constexpr std::array<std::string_view, kUpdateAllSteps> kStepPositions = {
    "21.5E", "23.5E", "25.8E", "26.0E", "28.2E", "28.5E", "31.5E", "33.0E", "36.0E", "39.0E",
    "7.0W",  "40.0E", "42.0E", "45.0E", "53.0E", "55.0E", "57.0E", "60.0E", "62.0E", "2.0E",
    "68.5E", "4.8E",  "64.0E", "0.8W",  "1.0W",  "13.0E", "4.0W",  "5.0W",  "72.0E", "75.0E",
    "70.5E", "8.0W",  "11.0W", "5.0E",  "12.5W", "14.0W", "15.0W", "22.0W", "24.5W", "27.5W",
    "30.0W", "31.5W", "34.5W", "7.0E",  "37.5W", "43.0W", "45.0W", "53.0W", "58.0W", "61.0W",
    "63.0W", "9.0E",  "10.0E", "16.0E", "19.2E", "18.0W",
};

std::array<const CatalogueRow*, kUpdateAllSteps> ResolveSteps() {
  std::array<const CatalogueRow*, kUpdateAllSteps> rows{};
  for (std::size_t i = 0; i < kUpdateAllSteps; ++i) {
    rows[i] = FindRowByPosValue(kStepPositions[i]);
    if (!rows[i]) throw std::logic_error("update-all step without catalogue row: " +
                                         std::string(kStepPositions[i]));
  }
  return rows;
}
}  // namespace

const std::array<const CatalogueRow*, kUpdateAllSteps>& UpdateAllOrder() {
  static const auto rows = ResolveSteps();
  return rows;
}

}  // namespace velq
