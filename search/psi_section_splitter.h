#pragma once
// Cuts the payloads of one PID into whole private sections, the way
// MPEG-2 Systems carries PSI/SI: a section starts where the pointer_field
// of a unit-start payload says, several may follow each other in one
// payload, 0xFF where a table_id would stand ends the payload's sections,
// and a section may run over any number of payloads.
//
// Only sections that pass every check reach the handler:
// section_syntax_indicator 1, current_next_indicator 1, a section_length
// that holds the header and CRC, and a good CRC-32. A section that fails is
// dropped; the table's next repetition brings it again. Sections without the
// long syntax (stuffing tables, for one) are still skipped by their length.
//
// When the start of each payload is not known (the plug-in's host hands
// over payloads without their TS header), every payload is read both ways:
// as the continuation of each section under way, and as a unit start whose
// first byte is a pointer_field. A section under way with R bytes to go in
// a payload ends either in the payload's first R bytes (continuation) or in
// bytes 1..R behind a pointer_field >= R (unit start); the CRC decides.
// Sections begun by the unit-start reading of what was in fact a
// continuation are followed too, side by side with the real one, until
// their CRC fails; the first good section ends all other readings. So a
// wrong guess costs at most that repetition of a section, a lost packet only
// the section it was in, and no guess ever gives a section whose CRC fails.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

namespace velq {

enum class PayloadStart {
  kUnknown,       // the plug-in: payloads without their TS header; inferred
  kContinuation,  // payload_unit_start_indicator 0
  kUnitStart,     // payload_unit_start_indicator 1: byte 0 is the pointer_field
};

// Longest private section, header and CRC included (section_length 4093).
inline constexpr std::size_t kMaxPrivateSectionSize = 4096;

class SectionSplitter {
 public:
  // Called, inside Push(), with each whole section that passed the checks.
  using SectionHandler = std::function<void(std::span<const std::uint8_t> section)>;

  explicit SectionSplitter(SectionHandler onSection);

  // One payload of the PID, of any length (empty is fine).
  void Push(std::span<const std::uint8_t> payload, PayloadStart start);
  // A packet was lost: the section under way can no longer be whole.
  void Discontinuity();
  // Forgets everything under way.
  void Reset();

 private:
  // A section begun in an earlier payload, waiting for its remaining bytes.
  using Partial = std::vector<std::uint8_t>;
  enum class Completion { kNeedsMore, kGood, kBad };

  Completion TryComplete(const Partial& partial, std::span<const std::uint8_t> more);
  void ReadSectionsFrom(std::span<const std::uint8_t> payload, std::size_t offset);
  void Emit(std::span<const std::uint8_t> section);
  void Track(std::span<const std::uint8_t> begun);

  SectionHandler onSection_;
  std::vector<Partial> underWay_;  // oldest first; at most one when starts are known
  Partial scratch_;
};

// True when `section` is a whole private section that passes the checks
// above (its size must be 3 + section_length).
bool IsGoodSection(std::span<const std::uint8_t> section);

}  // namespace velq
