#include "lists/channel_import.h"

#include <optional>
#include <stdexcept>
#include <string>

#include "search/satellite_descriptor.h"

namespace velq {

void AddImportedEntries(const std::vector<Transponder>& transponders, VectorCheckList& list,
                        ImportCounts& counts) {
  for (const Transponder& transponder : transponders) {
    ++counts.channels;
    std::optional<std::string> text;
    try {
      const auto descriptor = EncodeSatelliteDescriptor(transponder);
      text = DecodeEntryText(SatelliteDescriptorBytes(descriptor));
    } catch (const std::out_of_range&) {
      // A value with more digits than the descriptor has: no entry.
    }
    if (text) {
      list.Add(*text, true);
    } else {
      ++counts.skipped;
    }
  }
}

}  // namespace velq
