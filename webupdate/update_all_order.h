#pragma once
// UpdateAllOrder: the 56 steps that the update-all command fetches, one after
// another. Neither window order nor position order; it is the order users know.

#include <array>
#include <string_view>

#include "webupdate/tp_catalogue.h"

namespace velq {

inline constexpr std::size_t kUpdateAllSteps = 56;

// The update-all button's caption, naming the range of the sequence.
inline constexpr std::string_view kUpdateAllCaption = "UPDATE ALL SATS FROM  2\xB0" " E  TO   61\xB0" "W";

// The catalogue row of every step, step 1 first.
const std::array<const CatalogueRow*, kUpdateAllSteps>& UpdateAllOrder();

}  // namespace velq
