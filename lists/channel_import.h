#pragma once
// Transponders read from channel files turned into the entries a network
// search gives: each one is encoded as the satellite delivery system
// descriptor a broadcaster would send and decoded by the search's own
// decoder, so the texts are the search's, byte for byte.

#include <cstddef>
#include <vector>

#include "search/satellite_descriptor_encoder.h"
#include "search/vector_check_list.h"

namespace velq {

struct ImportCounts {
  std::size_t channels = 0;  // satellite channels read
  std::size_t skipped = 0;   // channels no descriptor can carry (out of range, too many digits)
};

// Adds the entry of every transponder to `list` (which keeps entry order) and
// counts what it could not add.
void AddImportedEntries(const std::vector<Transponder>& transponders, VectorCheckList& list,
                        ImportCounts& counts);

}  // namespace velq
