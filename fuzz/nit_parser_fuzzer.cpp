// ParseNitBuffer on any sections, as a broadcast may carry whatever passes
// its CRC: no read outside a section (ASan), every entry in the shape the
// search window and the list file rely on, and nothing but the bytes inside
// section_length read: a different CRC, or bytes after the section's end,
// change no entry.

#include <algorithm>
#include <cstdint>
#include <regex>
#include <span>
#include <string>
#include <vector>

#include "fuzz/fuzz_check.h"
#include "search/nit_parser.h"
#include "search/satellite_descriptor.h"
#include "tests/support/recording_nit_sink.h"

namespace velq::fuzz {
namespace {

// Each tag/length pair with room for its 13 bytes is the most that can
// give an entry.
std::size_t CountCandidates(std::span<const NitSectionBytes> sections) {
  std::size_t count = 0;
  for (const NitSectionBytes& bytes : sections) {
    for (std::size_t p = 0; p + kSatelliteDescriptorSize <= bytes.size(); ++p) {
      if (bytes[p] == kSatelliteDescriptorTag && bytes[p + 1] == kSatelliteDescriptorLength) ++count;
    }
  }
  return count;
}

// The bytes cut into sections by their own section_length, as the
// collector hands them over; the last one may be cut short.
std::vector<NitSectionBytes> CutIntoSections(std::span<const std::uint8_t> bytes) {
  std::vector<NitSectionBytes> sections;
  while (!bytes.empty()) {
    const std::size_t declared = bytes.size() < 3 ? bytes.size() : 3 + ((bytes[1] & 0x0F) << 8 | bytes[2]);
    const std::size_t size = std::min(declared, bytes.size());
    sections.emplace_back(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(size));
    bytes = bytes.subspan(size);
  }
  return sections;
}

// The shapes the search window reads frequency and polarisation back from
// by character position, and the list file stores as they are: frequency
// 1..12799 MHz, symbol rate 1..30000 ksymbol/s; "<name> 19.2 \xB0E"; codes
// of four digits at most.
bool IsEntryTextShape(const std::string& text) {
  static const std::regex shape(
      "(\\d{5}),(H|V|left|right),(\\d{5})(,(12|23|34|56|78|89|35|45|910))?,DVB-S2?,(Auto|QPSK|8PSK|16-QAM)");
  std::smatch m;
  if (!std::regex_match(text, m, shape)) return false;
  const int frequency = std::stoi(m[1]), symbolRate = std::stoi(m[3]);
  return frequency > 0 && frequency < 12800 && symbolRate > 0 && symbolRate <= 30000;
}

bool IsSatelliteLineShape(const std::string& line, char separator) {
  static const std::regex point("[\\s\\S]* (0|[1-9]\\d{0,2})(\\.[1-9])? \xB0[EW]");
  static const std::regex comma("[\\s\\S]* (0|[1-9]\\d{0,2})(,[1-9])? \xB0[EW]");
  return std::regex_match(line, separator == ',' ? comma : point);
}

void CheckRun(const RecordingNitSink& sink, const SatPosition& position, char separator, std::size_t candidates) {
  static const std::regex positionCode("(-?\\d{1,4})?");
  Require(sink.Entries.size() <= candidates, "at most one entry per candidate");
  Require(sink.SatelliteLines.size() == sink.Entries.size(), "each entry sets the satellite line");
  for (const std::string& entry : sink.Entries) Require(IsEntryTextShape(entry), "entry text shape");
  for (const std::string& line : sink.SatelliteLines) {
    Require(IsSatelliteLineShape(line, separator), "satellite line shape");
  }
  Require(std::regex_match(position.SatPositionCode, positionCode), "position code shape");
  Require(sink.Entries.empty() || !position.SatPositionCode.empty(), "an entry always comes with a position code");
}

}  // namespace
}  // namespace velq::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace velq;
  using namespace velq::fuzz;
  if (size == 0) return 0;
  // The first byte picks the decimal separator and the byte that fills the
  // CRC and trails each section in the second run; the rest are sections,
  // each copied to a heap block of exactly its size so ASan sees any overrun.
  const char separator = data[0] & 1 ? ',' : '.';
  const std::uint8_t filler = data[0];
  const std::vector<NitSectionBytes> sections = CutIntoSections({data + 1, size - 1});
  RecordingNitSink sink, alteredSink;
  SatPosition at, alteredAt;
  ParseNitBuffer(sections, at, sink, separator);
  CheckRun(sink, at, separator, CountCandidates(sections));

  std::vector<NitSectionBytes> altered = sections;
  for (NitSectionBytes& s : altered) {
    if (s.size() < 3 || s.size() != 3 + (std::size_t{s[1]} & 0x0F) * 256 + s[2]) continue;  // cut short
    std::fill(s.end() - std::min<std::ptrdiff_t>(4, static_cast<std::ptrdiff_t>(s.size()) - 3), s.end(), filler);
    s.insert(s.end(), 13, filler);
  }
  ParseNitBuffer(altered, alteredAt, alteredSink, separator);
  Require(alteredSink.Entries == sink.Entries && alteredAt.SatPositionCode == at.SatPositionCode &&
              alteredSink.SatelliteLines == sink.SatelliteLines,
          "only the bytes inside section_length, before the CRC, give entries");
  return 0;
}
