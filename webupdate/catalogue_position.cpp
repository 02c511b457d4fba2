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
