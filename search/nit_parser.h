#pragma once
// Turns an assembled NIT into transponder entries by scanning it for
// satellite delivery system descriptors (0x43, 0x0B) byte by byte; the
// table's own structure is not walked.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace velq {

inline constexpr std::size_t kNitBufferSize = 8193;

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

// Decodes every candidate in buffer order. Each candidate with a decimal
// position sets `position` (an unknown position gives an empty name), valid
// ones add an entry and set the satellite line. A candidate with non-decimal
// digits or out-of-range values adds nothing and the scan goes on. Runs
// whenever called: the capture calls it only while its search waits.
void ParseNitBuffer(std::span<const std::uint8_t> NitBuffer, SatPosition& position,
                    NitEntrySink& sink, char decimalSeparator);

}  // namespace velq
