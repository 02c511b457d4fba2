#include "search/psi_section_splitter.h"

#include <algorithm>
#include <utility>

#include "search/crc32_mpeg2.h"

namespace velq {
namespace {

constexpr std::uint8_t kStuffingByte = 0xFF;
constexpr std::size_t kSectionHeaderSize = 3;  // table_id and the 12-bit section_length
// table_id_extension, version, section numbers and CRC_32 follow the length.
constexpr std::size_t kSmallestLongSection = kSectionHeaderSize + 9;
// Unconfirmed sections kept while starts are guessed. Each payload begins at
// most one, and one dies within 23 payloads of 184 bytes, so the real one is
// never pushed out by those that wrong guesses begin.
constexpr std::size_t kMaxUnderWay = 32;

bool LongSyntax(std::uint8_t lengthByte) { return (lengthByte & 0x80) != 0; }

std::size_t SectionSize(std::uint8_t lengthHigh, std::uint8_t lengthLow) {
  return kSectionHeaderSize + ((std::size_t{lengthHigh} & 0x0F) << 8 | lengthLow);
}

}  // namespace

bool IsGoodSection(std::span<const std::uint8_t> section) {
  if (section.size() < kSmallestLongSection || section.size() > kMaxPrivateSectionSize) return false;
  const bool currentNext = (section[5] & 0x01) != 0;
  return LongSyntax(section[1]) && currentNext && SectionSize(section[1], section[2]) == section.size() &&
         Crc32Mpeg2(section) == 0;
}

SectionSplitter::SectionSplitter(SectionHandler onSection) : onSection_(std::move(onSection)) {}

void SectionSplitter::Reset() { underWay_.clear(); }

void SectionSplitter::Discontinuity() { underWay_.clear(); }

// Whether `partial` followed by the first bytes of `more` is a whole, good
// section; the section is then left in scratch_.
SectionSplitter::Completion SectionSplitter::TryComplete(const Partial& partial,
                                                         std::span<const std::uint8_t> more) {
  const std::size_t have = partial.size();
  if (have + more.size() < kSectionHeaderSize) return Completion::kNeedsMore;
  const auto byteAt = [&](std::size_t i) { return i < have ? partial[i] : more[i - have]; };
  if (!LongSyntax(byteAt(1))) return Completion::kBad;
  const std::size_t size = SectionSize(byteAt(1), byteAt(2));
  if (size < kSmallestLongSection || size > kMaxPrivateSectionSize || size <= have) return Completion::kBad;
  const std::size_t need = size - have;
  if (need > more.size()) return Completion::kNeedsMore;
  scratch_.assign(partial.begin(), partial.end());
  scratch_.insert(scratch_.end(), more.begin(), more.begin() + static_cast<std::ptrdiff_t>(need));
  return IsGoodSection(scratch_) ? Completion::kGood : Completion::kBad;
}

void SectionSplitter::Push(std::span<const std::uint8_t> payload, PayloadStart start) {
  if (payload.empty()) return;
  const bool mayContinue = start != PayloadStart::kUnitStart;
  const bool mayStart = start != PayloadStart::kContinuation;
  const std::size_t pointer = payload[0];
  const std::span<const std::uint8_t> behindPointer =
      payload.subspan(1, std::min(pointer, payload.size() - 1));

  // 1. Sections under way end here, or go on, or turn out broken.
  std::vector<Partial> continued;
  bool sawContinuation = false;
  bool sawUnitStart = false;
  for (Partial& partial : underWay_) {
    if (mayContinue) {
      const Completion asContinuation = TryComplete(partial, payload);
      if (asContinuation == Completion::kGood) {
        sawContinuation = true;
        break;
      }
      if (asContinuation == Completion::kNeedsMore) {
        // The bytes behind a pointer_field are fewer still: no unit start
        // can end this section either.
        partial.insert(partial.end(), payload.begin(), payload.end());
        continued.push_back(std::move(partial));
        continue;
      }
    }
    if (mayStart && TryComplete(partial, behindPointer) == Completion::kGood) {
      sawUnitStart = true;
      break;
    }
    // Broken (a lost packet, or begun by a wrong guess): dropped.
  }
  if (sawContinuation || sawUnitStart) {
    // Only one reading of the payload is right, and the CRC just named it:
    // every other section under way came from a wrong guess or is broken.
    continued.clear();
    underWay_.clear();
    Emit(scratch_);
  }
  underWay_ = std::move(continued);

  // 2. A unit start begins sections behind its pointer_field. A payload that
  // just ended a section as a continuation begins none.
  if (mayStart && !sawContinuation) ReadSectionsFrom(payload, 1 + pointer);
}

void SectionSplitter::ReadSectionsFrom(std::span<const std::uint8_t> payload, std::size_t offset) {
  bool foundGood = false;
  while (offset < payload.size() && payload[offset] != kStuffingByte) {
    const std::span<const std::uint8_t> rest = payload.subspan(offset);
    if (rest.size() < kSectionHeaderSize) {
      Track(rest);
      break;
    }
    const std::size_t size = SectionSize(rest[1], rest[2]);
    if (size > kMaxPrivateSectionSize) break;  // not a section; nothing to skip by
    if (size > rest.size()) {
      Track(rest);
      break;
    }
    const std::span<const std::uint8_t> section = rest.first(size);
    if (IsGoodSection(section)) {
      // The payload was a unit start after all: what took it for a
      // continuation is wrong.
      if (!foundGood) underWay_.clear();
      foundGood = true;
      Emit(section);
    }
    offset += size;
  }
}

void SectionSplitter::Track(std::span<const std::uint8_t> begun) {
  // Sections that could never pass the checks are not followed.
  if (begun.size() >= 2 && !LongSyntax(begun[1])) return;
  if (begun.size() >= kSectionHeaderSize) {
    const std::size_t size = SectionSize(begun[1], begun[2]);
    if (size < kSmallestLongSection || size > kMaxPrivateSectionSize) return;
  }
  if (underWay_.size() >= kMaxUnderWay) underWay_.erase(underWay_.begin());
  underWay_.emplace_back(begun.begin(), begun.end());
}

void SectionSplitter::Emit(std::span<const std::uint8_t> section) { onSection_(section); }

}  // namespace velq
