#include "cli/position_argument.h"

#include <cctype>
#include <optional>
#include <string>

#include "webupdate/catalogue_position.h"

namespace velq {
namespace {

bool AllDigits(std::string_view text) {
  if (text.empty()) return false;
  for (char c : text) {
    if (!std::isdigit(static_cast<unsigned char>(c))) return false;
  }
  return true;
}

int ToInt(std::string_view digits) { return std::stoi(std::string(digits)); }

std::optional<int> FileCode(std::string_view argument) {
  if (argument.size() == 8 && argument.substr(4) == ".ini") argument = argument.substr(0, 4);
  if (argument.size() != 4 || !AllDigits(argument)) return std::nullopt;
  return ToInt(argument);
}

// Degrees with at most one decimal, then E or W.
std::optional<int> PosValueCode(std::string_view argument) {
  if (argument.size() < 2) return std::nullopt;
  const char side = static_cast<char>(std::toupper(static_cast<unsigned char>(argument.back())));
  if (side != 'E' && side != 'W') return std::nullopt;
  std::string_view number = argument.substr(0, argument.size() - 1);
  std::string_view whole = number;
  int tenth = 0;
  if (const std::size_t point = number.find('.'); point != std::string_view::npos) {
    whole = number.substr(0, point);
    const std::string_view fraction = number.substr(point + 1);
    if (fraction.size() != 1 || !AllDigits(fraction)) return std::nullopt;
    tenth = fraction[0] - '0';
  }
  if (whole.size() > 3 || !AllDigits(whole)) return std::nullopt;
  const int tenths = ToInt(whole) * 10 + tenth;
  if (tenths > 1800) return std::nullopt;
  return CataloguePositionCode(
      {tenths, side == 'E' ? CataloguePosition::East : CataloguePosition::West});
}

}  // namespace

const CatalogueRow* FindRowByArgument(std::string_view argument) {
  std::optional<int> code = FileCode(argument);
  if (!code) code = PosValueCode(argument);
  return code ? FindRowByPositionCode(*code) : nullptr;
}

}  // namespace velq
