#include "lists/position_in_name.h"

#include <regex>
#include <string>

namespace velq {

std::optional<OrbitalPosition> PositionInName(std::string_view name) {
  if (const auto slash = name.find_last_of('/'); slash != std::string_view::npos) {
    name.remove_prefix(slash + 1);
  }
  static const std::regex kPattern(R"((?:^|[-_])(\d{1,3})(?:\.(\d))?([EW])$)");
  const std::string text(name);
  std::smatch match;
  if (!std::regex_search(text, match, kPattern)) return std::nullopt;
  const int tenths = std::stoi(match[1]) * 10 + (match[2].matched ? std::stoi(match[2]) : 0);
  if (tenths > 1800) return std::nullopt;
  return OrbitalPosition{tenths, match[3] == "E" ? Hemisphere::East : Hemisphere::West};
}

}  // namespace velq
