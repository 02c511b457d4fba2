#pragma once
// A count with its noun as velqtp prints counts: "1 entry", "0 entries",
// "93 entries".

#include <cstddef>
#include <string>
#include <string_view>

namespace velq {

inline std::string CountText(std::size_t count, std::string_view one, std::string_view many) {
  return std::to_string(count) + ' ' + std::string(count == 1 ? one : many);
}

}  // namespace velq
