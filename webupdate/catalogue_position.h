#pragma once
// An orbital position of the download catalogue and the two texts derived
// from it: the `pos` query value the site expects and the stored file name.

#include <optional>
#include <string>
#include <string_view>

namespace velq {

struct CataloguePosition {
  enum Side : char { East = 'E', West = 'W' };
  int tenths;  // degrees from 0 in tenths, 0..1800
  Side side;
};

// "13.0E", "0.8W": one decimal always written, no leading zeros.
std::string PosQueryValue(CataloguePosition position);

// The inverse of PosQueryValue, and as strict: exactly its form ("13.0E",
// "0.8W"; not "13E", "013.0E", "13.0e"), 180.0 at most. What the download
// site accepts as a `pos` value; nullopt for anything else.
std::optional<CataloguePosition> ParsePosQueryValue(std::string_view text);

// Tenths counted eastward, 0..3599: 130 for 13.0E, 3530 for 7.0W.
int CataloguePositionCode(CataloguePosition position);

// The four-digit code + ".ini": "0130.ini", "3530.ini".
std::string CatalogueFileName(CataloguePosition position);

}  // namespace velq
