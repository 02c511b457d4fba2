#include "webupdate/catalogue_position.h"

#include <cstdio>
#include <stdexcept>

namespace velq {

namespace {
void RequireInRange(CataloguePosition position) {
  if (position.tenths < 0 || position.tenths > 1800 ||
      (position.side != CataloguePosition::East && position.side != CataloguePosition::West)) {
    throw std::invalid_argument("orbital position out of range");
  }
}
}  // namespace

std::string PosQueryValue(CataloguePosition position) {
  RequireInRange(position);
  return std::to_string(position.tenths / 10) + '.' + std::to_string(position.tenths % 10) +
         static_cast<char>(position.side);
}

std::optional<CataloguePosition> ParsePosQueryValue(std::string_view text) {
  // D{1,3} "." D side, no leading zero: at most "180.0W", 6 characters.
  if (text.size() < 4 || text.size() > 6) return std::nullopt;
  const char side = text.back();
  const std::string_view whole = text.substr(0, text.size() - 3);
  if ((side != 'E' && side != 'W') || text[text.size() - 3] != '.') return std::nullopt;
  if (whole.size() > 1 && whole[0] == '0') return std::nullopt;
  int tenths = 0;
  for (char c : whole) {
    if (c < '0' || c > '9') return std::nullopt;
    tenths = tenths * 10 + (c - '0');
  }
  const char tenth = text[text.size() - 2];
  if (tenth < '0' || tenth > '9') return std::nullopt;
  tenths = tenths * 10 + (tenth - '0');
  if (tenths > 1800) return std::nullopt;
  return CataloguePosition{tenths, side == 'E' ? CataloguePosition::East : CataloguePosition::West};
}

int CataloguePositionCode(CataloguePosition position) {
  RequireInRange(position);
  if (position.side == CataloguePosition::East) return position.tenths;
  // 0.0W is 0.0E: code 0, not 3600.
  return (3600 - position.tenths) % 3600;
}

std::string CatalogueFileName(CataloguePosition position) {
  char code[8];
  std::snprintf(code, sizeof code, "%04d", CataloguePositionCode(position));
  return std::string(code) + ".ini";
}

}  // namespace velq
