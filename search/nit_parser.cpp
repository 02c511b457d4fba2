#include "search/nit_parser.h"

#include <algorithm>
#include <optional>

#include "search/position_names.h"
#include "search/satellite_descriptor.h"

namespace velq {
namespace {

constexpr std::size_t kCrcSize = 4;
constexpr std::size_t kSectionHeaderSize = 8;  // table_id .. last_section_number
constexpr std::size_t kTransportStreamHeaderSize = 6;  // ids and descriptors length

void DecodeCandidate(SatelliteDescriptorBytes descriptor, SatPosition& position, NitEntrySink& sink,
                     char decimalSeparator) {
  const std::optional<OrbitalPosition> orbit = DecodeOrbitalPosition(descriptor);
  if (!orbit) return;

  // Name and code follow every descriptor, valid or not, so the last one in
  // the table decides which file the entries are saved to.
  position.SatPositionName = LookUpPositionName(orbit->Tenths, orbit->hemisphere).value_or("");
  position.SatPositionCode = SatPositionCodeOf(*orbit);

  const std::optional<std::string> entry = DecodeEntryText(descriptor);
  if (!entry) return;
  sink.AddCheckedEntry(*entry);
  sink.SetSatelliteLine(SatelliteLineOf(position.SatPositionName, *orbit, decimalSeparator));
}

std::size_t Length12(std::span<const std::uint8_t> bytes, std::size_t at) {
  return (std::size_t{bytes[at]} & 0x0F) << 8 | bytes[at + 1];
}

// Reads `length` bytes at `at` as a descriptor loop, or nothing when the
// loop would run past `bytes`.
std::optional<std::span<const std::uint8_t>> Loop(std::span<const std::uint8_t> bytes, std::size_t at,
                                                  std::size_t length) {
  if (at > bytes.size() || length > bytes.size() - at) return std::nullopt;
  return bytes.subspan(at, length);
}

// False when a descriptor runs past the loop's end: the loop is malformed.
bool WalkDescriptors(std::span<const std::uint8_t> loop, SatPosition& position, NitEntrySink& sink,
                     char decimalSeparator) {
  std::size_t at = 0;
  while (at < loop.size()) {
    if (loop.size() - at < 2) return false;
    const std::size_t size = 2 + std::size_t{loop[at + 1]};
    if (size > loop.size() - at) return false;
    if (loop[at] == kSatelliteDescriptorTag && loop[at + 1] == kSatelliteDescriptorLength) {
      DecodeCandidate(loop.subspan(at).first<kSatelliteDescriptorSize>(), position, sink,
                      decimalSeparator);
    }
    at += size;
  }
  return true;
}

void WalkSection(std::span<const std::uint8_t> section, SatPosition& position, NitEntrySink& sink,
                 char decimalSeparator) {
  constexpr std::size_t kSmallest = kSectionHeaderSize + 2 + kCrcSize;
  if (section.size() < kSmallest) return;
  // The body ends where section_length says, before the CRC, and never
  // past the bytes we have.
  const std::size_t size = std::min(3 + Length12(section, 1), section.size());
  if (size < kSmallest) return;
  const std::span<const std::uint8_t> body = section.first(size - kCrcSize);

  std::size_t at = kSectionHeaderSize;
  const std::size_t networkDescriptorsLength = Length12(body, at);
  at += 2 + networkDescriptorsLength;  // network descriptors give no entries
  if (at + 2 > body.size()) return;
  const std::optional<std::span<const std::uint8_t>> streams = Loop(body, at + 2, Length12(body, at));
  if (!streams) return;

  std::size_t entry = 0;
  while (entry + kTransportStreamHeaderSize <= streams->size()) {
    const std::optional<std::span<const std::uint8_t>> descriptors =
        Loop(*streams, entry + kTransportStreamHeaderSize, Length12(*streams, entry + 4));
    if (!descriptors) return;
    if (!WalkDescriptors(*descriptors, position, sink, decimalSeparator)) return;
    entry += kTransportStreamHeaderSize + descriptors->size();
  }
}

}  // namespace

void ParseNitBuffer(std::span<const NitSectionBytes> sections, SatPosition& position,
                    NitEntrySink& sink, char decimalSeparator) {
  for (const NitSectionBytes& section : sections) WalkSection(section, position, sink, decimalSeparator);
}

}  // namespace velq
