#include "search/nit_parser.h"

#include <optional>

#include "search/position_names.h"
#include "search/satellite_descriptor.h"

namespace velq {
namespace {

void DecodeCandidate(SatelliteDescriptorBytes descriptor, SatPosition& position, NitEntrySink& sink,
                     char decimalSeparator) {
  const std::optional<OrbitalPosition> orbit = DecodeOrbitalPosition(descriptor);
  if (!orbit) return;

  // Name and code follow every candidate, valid or not, so the last one in
  // the table decides which file the entries are saved to.
  position.SatPositionName = LookUpPositionName(orbit->Tenths, orbit->hemisphere).value_or("");
  position.SatPositionCode = SatPositionCodeOf(*orbit);

  const std::optional<std::string> entry = DecodeEntryText(descriptor);
  if (!entry) return;
  sink.AddCheckedEntry(*entry);
  sink.SetSatelliteLine(SatelliteLineOf(position.SatPositionName, *orbit, decimalSeparator));
}

}  // namespace

void ParseNitBuffer(std::span<const std::uint8_t> NitBuffer, SatPosition& position,
                    NitEntrySink& sink, char decimalSeparator) {
  if (NitBuffer.size() < kSatelliteDescriptorSize) return;
  const std::size_t lastStart = NitBuffer.size() - kSatelliteDescriptorSize;
  // Every offset is tried, also inside a descriptor already decoded.
  for (std::size_t p = 0; p <= lastStart; ++p) {
    if (NitBuffer[p] != kSatelliteDescriptorTag || NitBuffer[p + 1] != kSatelliteDescriptorLength) {
      continue;
    }
    DecodeCandidate(NitBuffer.subspan(p).first<kSatelliteDescriptorSize>(), position, sink,
                    decimalSeparator);
  }
}

}  // namespace velq
