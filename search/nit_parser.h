#pragma once
// Turns a complete NIT into transponder entries by walking its syntax: in
// each section the network descriptors are passed over and every transport
// stream entry's descriptor loop is walked; each satellite delivery system
// descriptor (tag 0x43, length 11) is decoded. Bytes 43 0B inside any other
// descriptor are never taken for one.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace velq {

// Where the parser's results go: the plug-in posts them to its search window,
// tests and the CLI collect them. Called on the parser's thread.
class NitEntrySink {
 public:
  virtual ~NitEntrySink() = default;
  // Appends a ticked entry with this transponder entry text.
  virtual void AddCheckedEntry(const std::string& text) = 0;
  // Replaces the satellite line (Label3).
  virtual void SetSatelliteLine(const std::string& text) = 0;
};

// The position of the last descriptor decoded, kept across runs and searches:
// the name of the transponder list file and the satellite name saved in it.
struct SatPosition {
  std::string SatPositionCode;
  std::string SatPositionName;
};

using NitSectionBytes = std::vector<std::uint8_t>;

// Decodes the descriptors of every section in the order given (the
// collector's section_number order). Each descriptor with a decimal position
// sets `position` (an unknown position gives an empty name), valid ones add
// an entry and set the satellite line; one with non-decimal digits or
// out-of-range values adds nothing and the walk goes on. A loop whose length
// runs past its section ends that section's walk; nothing is read outside a
// section. Runs whenever called: the capture calls it once per search.
void ParseNitBuffer(std::span<const NitSectionBytes> sections, SatPosition& position,
                    NitEntrySink& sink, char decimalSeparator);

}  // namespace velq
