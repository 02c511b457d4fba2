#pragma once
// TpCatalogue: the 56 downloadable positions, each with the window button that
// fetches it, the button's caption and place, the request value and the file.

#include <array>
#include <cstddef>
#include <string_view>

#include "webupdate/catalogue_position.h"

namespace velq {

struct CatalogueRow {
  int button;                 // N of ButtonN, 1..56; ButtonNClick fetches the row
  std::string_view caption;   // Windows-1252, shown exactly as stored
  int column;                 // window column (panel), 1..7
  int row;                    // place in the column from the top, 1..10
  CataloguePosition position;
  std::string_view posValue;  // `pos` query value, "13.0E"
  std::string_view fileName;  // stored file, "0130.ini"
};

inline constexpr std::size_t kCatalogueSize = 56;
inline constexpr int kCatalogueColumns = 7;

// In window order: column 1 top to bottom, then column 2, and so on.
extern const std::array<CatalogueRow, kCatalogueSize> TpCatalogue;

// Look-ups; nullptr when no row matches.
const CatalogueRow* FindRowByButton(int button);
const CatalogueRow* FindRowByPosValue(std::string_view posValue);
const CatalogueRow* FindRowByPositionCode(int code);

// The label on the panel of a column (1..7), naming its range: "2°E : 21.5°E".
// Empty for a column that does not exist.
std::string_view ColumnLabel(int column);

}  // namespace velq
