// ParseNitBuffer on any bytes, as the capture may hand over whatever a
// transponder broadcasts: no read outside the buffer, every entry in the
// shape the search window and the list file rely on, and the same entries
// for the bytes alone as at the start of a zero-filled NitBuffer.

#include <algorithm>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "fuzz/entry_shape.h"
#include "fuzz/fuzz_check.h"
#include "search/nit_parser.h"
#include "search/satellite_descriptor.h"
#include "tests/support/recording_nit_sink.h"

namespace velq::fuzz {
namespace {

// Each tag/length pair with room for its 13 bytes is one candidate.
std::size_t CountCandidates(std::span<const std::uint8_t> bytes) {
  std::size_t count = 0;
  for (std::size_t p = 0; p + kSatelliteDescriptorSize <= bytes.size(); ++p) {
    if (bytes[p] == kSatelliteDescriptorTag && bytes[p + 1] == kSatelliteDescriptorLength) ++count;
  }
  return count;
}

void CheckRun(const RecordingNitSink& sink, const SatPosition& position, char separator,
              std::size_t candidates) {
  Require(sink.Entries.size() <= candidates, "at most one entry per candidate");
  Require(sink.SatelliteLines.size() == sink.Entries.size(), "each entry sets the satellite line");
  for (const std::string& entry : sink.Entries) {
    Require(IsEntryTextShape(entry), "entry text shape");
  }
  for (const std::string& line : sink.SatelliteLines) {
    Require(IsSatelliteLineShape(line, separator), "satellite line shape");
  }
  Require(position.SatPositionCode.empty() || IsPositionCodeShape(position.SatPositionCode),
          "position code shape");
  Require(sink.Entries.empty() || !position.SatPositionCode.empty(),
          "an entry always comes with a position code");
}

}  // namespace
}  // namespace velq::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace velq;
  using namespace velq::fuzz;
  if (size == 0) return 0;
  // The first byte picks the decimal separator, the rest is the buffer:
  // copied to a heap block of exactly its size so ASan sees any overrun.
  const char separator = data[0] & 1 ? ',' : '.';
  const std::vector<std::uint8_t> bytes(data + 1, data + size);

  RecordingNitSink alone;
  SatPosition aloneAt;
  ParseNitBuffer(bytes, aloneAt, alone, separator);
  CheckRun(alone, aloneAt, separator, CountCandidates(bytes));

  // As the capture hands it over: the bytes at the start of a zeroed
  // NitBuffer. Only candidates cut off by the end may add entries, after
  // the others.
  if (bytes.size() <= kNitBufferSize) {
    std::vector<std::uint8_t> buffer(kNitBufferSize, 0);
    std::copy(bytes.begin(), bytes.end(), buffer.begin());
    RecordingNitSink padded;
    SatPosition paddedAt;
    ParseNitBuffer(buffer, paddedAt, padded, separator);
    CheckRun(padded, paddedAt, separator, CountCandidates(buffer));
    Require(padded.Entries.size() >= alone.Entries.size() &&
                std::equal(alone.Entries.begin(), alone.Entries.end(), padded.Entries.begin()),
            "zeros after the bytes change no entry found in them");
  }
  return 0;
}
