#pragma once
// The orbital position that ends a channel file's name, as dtv-scan-tables
// names its files: "Hotbird-13.0E", "Amos-4.0W", "Eutelsat5_5.0W", "X-16E".

#include <optional>
#include <string_view>

#include "search/satellite_descriptor.h"

namespace velq {

// Also a bare position: "13.0E", "7W". nullopt when the name does not end in
// one, or it lies beyond 180 degrees. Only the last path component counts.
std::optional<OrbitalPosition> PositionInName(std::string_view name);

}  // namespace velq
