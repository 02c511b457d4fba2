#include "cli/listings.h"

#include <string>
#include <string_view>

#include "cli/windows1252.h"
#include "search/position_names.h"
#include "search/satellite_descriptor.h"
#include "webupdate/tp_catalogue.h"
#include "webupdate/update_all_order.h"

namespace velq {
namespace {

// Quoted, so that a caption's trailing blank shows.
std::string Quoted(std::string_view text) { return '"' + Windows1252ToUtf8(text) + '"'; }

std::string Degrees(int tenths, char side) {
  return std::to_string(tenths / 10) + '.' + std::to_string(tenths % 10) + side;
}

void PrintRow(std::FILE* out, const CatalogueRow& row) {
  std::fprintf(out, "%-6.*s %-9.*s Button%-3d %s\n", static_cast<int>(row.posValue.size()),
               row.posValue.data(), static_cast<int>(row.fileName.size()), row.fileName.data(),
               row.button, Quoted(row.caption).c_str());
}

}  // namespace

void PrintPositionNames(std::FILE* out) {
  std::fprintf(out, "%-6s %-5s %s\n", "POS", "CODE", "NAME");
  for (const PositionNameRow& row : PositionNameTable) {
    const OrbitalPosition position{row.Key, row.hemisphere};
    const char side = row.hemisphere == Hemisphere::East ? 'E' : 'W';
    std::fprintf(out, "%-6s %-5s %s\n", Degrees(row.Key, side).c_str(), SatPositionCodeOf(position).c_str(),
                 Quoted(row.Name).c_str());
  }
}

void PrintCatalogue(std::FILE* out) {
  std::fprintf(out, "%-6s %-9s %-9s %s\n", "POS", "FILE", "BUTTON", "CAPTION");
  for (const CatalogueRow& row : TpCatalogue) PrintRow(out, row);
}

void PrintUpdateAllOrder(std::FILE* out) {
  std::fprintf(out, "%-4s %-6s %-9s %-9s %s\n", "STEP", "POS", "FILE", "BUTTON", "CAPTION");
  int step = 0;
  for (const CatalogueRow* row : UpdateAllOrder()) {
    std::fprintf(out, "%-4d ", ++step);
    PrintRow(out, *row);
  }
}

}  // namespace velq
