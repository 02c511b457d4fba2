#pragma once
// Satellite names by orbital position, for the satellite line and the
// transponder list file. Names are Windows-1252 bytes (degree sign 0xB0).

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace velq {

// The descriptor's west_east_flag: 0 west, 1 east.
enum class Hemisphere : std::uint8_t { West = 0, East = 1 };

struct PositionNameRow {
  int Key;  // orbital position in tenths of a degree
  Hemisphere hemisphere;
  std::string_view Name;
};

inline constexpr std::size_t kPositionNameRows = 168;

// East rows in increasing order, then west rows in decreasing order; each
// (Key, hemisphere) pair occurs once.
extern const std::array<PositionNameRow, kPositionNameRows> PositionNameTable;

// The name of the row with exactly this key and hemisphere, or nullopt when
// no row matches. A matching row may have an empty name (61.0 west).
std::optional<std::string_view> LookUpPositionName(int tenths, Hemisphere hemisphere);

}  // namespace velq
