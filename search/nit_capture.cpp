#include "search/nit_capture.h"

#include <algorithm>
#include <limits>

#include "search/nit_section_start.h"

namespace velq {
namespace {

constexpr std::int64_t kInitialStreamSize = 8192;
constexpr std::int64_t kStreamFullPosition = 8191;
constexpr std::int32_t kNoSectionMarker = 4095;

bool IsStoredLength(std::int32_t length) { return length == 184 || length == 368 || length == 920; }

// Counting saturates rather than wrapping: a wrapped sum would turn negative
// and make an endless run of non-first section starts look complete.
std::int32_t SaturatingAdd(std::int32_t a, std::int32_t b) {
  const std::int64_t sum = std::int64_t{a} + b;
  return static_cast<std::int32_t>(
      std::min<std::int64_t>(sum, std::numeric_limits<std::int32_t>::max()));
}

}  // namespace

NitCapture::NitCapture(NitFilterHost& host, NitEntrySink& sink, char decimalSeparator)
    : host_(host), sink_(sink), decimalSeparator_(decimalSeparator) {}

void NitCapture::Deliver(std::int32_t Len, const std::uint8_t* Data) noexcept {
  try {
    std::lock_guard lock(mutex_);
    DeliverLocked(Len, Data);
  } catch (...) {
    // Nothing may unwind into the host's thread; the delivery is dropped.
  }
}

void NitCapture::DeliverLocked(std::int32_t Len, const std::uint8_t* Data) {
  // A payload that falls inside the section under way is its continuation,
  // even when its first bytes happen to read like a later section's header
  // (a CRC of 00 40 .. .. spilling into stuffing did that, on every
  // repetition of the table). A first-section start still restarts the
  // capture wherever it comes.
  std::optional<NitSectionStart> start = ReadNitSectionStart(Data, Len);
  if (start && start->SectionNumber != 0 && stream_.Position() < sectionEnd_) start.reset();

  // 1. Capture reset.
  const bool noSectionUnderWay = NitSectionLen == kNoSectionMarker || NitSectionLen <= 0;
  const bool fitsBeforePosition = std::int64_t{Len} - 1 <= stream_.Position();
  const bool firstSectionStart = start && start->SectionNumber == 0;
  if ((noSectionUnderWay && fitsBeforePosition) || stream_.Position() >= kStreamFullPosition ||
      firstSectionStart) {
    ResetCapture();
  }

  // 2. Section bookkeeping, for a start of any section number.
  if (start) {
    NitSectionLen = start->SectionLength;
    NitLastSectionNo = start->LastSectionNumber;
    NitSectionsSeen = SaturatingAdd(NitSectionsSeen, 1);
    NitSectionLen = RoundSectionLength(NitSectionLen);
    // Counted with the four bytes before the body: a table whose last
    // section just spills into one more payload completes only with it.
    NitExpectedBytes = SaturatingAdd(NitExpectedBytes, SectionPayloadBytes(start->SectionLength));
    // Only a stored start has its continuations follow it in the stream.
    sectionEnd_ = IsStoredLength(Len) ? stream_.Position() + SectionPayloadBytes(start->SectionLength)
                                      : 0;
  }

  // 3. Storing: only whole runs of 1, 2 or 5 payloads.
  if (Data != nullptr && IsStoredLength(Len)) stream_.Write(Data, static_cast<std::size_t>(Len));

  // 4. Completion and copy.
  if (TableComplete()) CopyTableToNitBuffer();

  // 5. Hand-over to the parser, once per search.
  const bool bufferBeginsTable = [&] {
    const std::optional<NitSectionStart> head =
        ReadNitSectionStart(nitBuffer_.data(), kNitBufferSize);
    return head && head->SectionNumber == 0;
  }();
  if (bufferBeginsTable && TableComplete() && !searchDone_.load()) {
    ParseTable();
    searchDone_.store(true);
    NitSectionLen = 0;
  }
}

void NitCapture::ResetCapture() {
  stream_.SetPosition(0);  // the size stays
  NitSectionsSeen = 0;
  NitExpectedBytes = 0;
  sectionEnd_ = 0;
}

bool NitCapture::TableComplete() const {
  return NitSectionsSeen - 1 >= NitLastSectionNo && NitExpectedBytes <= stream_.Position();
}

// Only the bytes of this table, up to the position reached, go to the
// buffer: bytes of an older, longer table beyond them would otherwise be
// parsed as well. The position is put back so that what follows sees the
// stream as the table left it.
void NitCapture::CopyTableToNitBuffer() {
  const std::int64_t reached = stream_.Position();
  stream_.SetPosition(0);
  nitBuffer_.fill(0);
  const std::int64_t count = std::min<std::int64_t>(reached, kNitBufferSize);
  stream_.Read(nitBuffer_.data(), static_cast<std::size_t>(count));
  stream_.SetPosition(reached);
}

// A parser failure must not keep the search waiting for ever: the entries
// already handed over stay and the search counts as finished.
void NitCapture::ParseTable() {
  try {
    ParseNitBuffer(nitBuffer_, position_, sink_, decimalSeparator_);
  } catch (...) {
  }
}

void NitCapture::StartSearch() {
  {
    std::lock_guard lock(mutex_);
    NitSectionsSeen = 0;
  }
  StopNitFilter();
  StartNitFilter();
  // The host may already have delivered on the stream StartNitFilter made.
  std::lock_guard lock(mutex_);
  searchDone_.store(false);
  NitExpectedBytes = 0;
  stream_.Empty();
  sectionEnd_ = 0;
}

void NitCapture::StartNitFilter() {
  {
    std::lock_guard lock(mutex_);
    stream_ = NitStream();
    stream_.SetSize(kInitialStreamSize);
    sectionEnd_ = 0;
  }
  host_.SendStartFilter();
}

void NitCapture::StopSearch() {
  StopNitFilter();
  std::lock_guard lock(mutex_);
  searchDone_.store(true);
  NitSectionsSeen = 0;
  NitExpectedBytes = 0;
}

void NitCapture::StopNitFilter() { host_.SendStopFilter(); }

SatPosition NitCapture::Position() const {
  std::lock_guard lock(mutex_);
  return position_;
}

NitCaptureCounters NitCapture::Counters() const {
  std::lock_guard lock(mutex_);
  return NitCaptureCounters{NitSectionLen,    NitLastSectionNo,   NitSectionsSeen,
                            NitExpectedBytes, stream_.Position(), stream_.Size()};
}

NitBufferBytes NitCapture::NitBuffer() const {
  std::lock_guard lock(mutex_);
  return nitBuffer_;
}

}  // namespace velq
