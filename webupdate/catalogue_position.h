#pragma once
// An orbital position of the download catalogue and the two texts derived
// from it: the `pos` query value the site expects and the stored file name.

#include <string>

namespace velq {

struct CataloguePosition {
  enum Side : char { East = 'E', West = 'W' };
  int tenths;  // degrees from 0 in tenths, 0..1800
  Side side;
};

// "13.0E", "0.8W": one decimal always written, no leading zeros.
std::string PosQueryValue(CataloguePosition position);

// Tenths counted eastward, 0..3599: 130 for 13.0E, 3530 for 7.0W.
int CataloguePositionCode(CataloguePosition position);

// The four-digit code + ".ini": "0130.ini", "3530.ini".
std::string CatalogueFileName(CataloguePosition position);

}  // namespace velq
