#include "search/nit_capture.h"

namespace velq {
namespace {

constexpr std::size_t kPayloadSize = 184;

}  // namespace

NitCapture::NitCapture(NitFilterHost& host, NitEntrySink& sink, char decimalSeparator)
    : host_(host),
      sink_(sink),
      decimalSeparator_(decimalSeparator),
      splitter_([this](std::span<const std::uint8_t> section) { OnSection(section); }) {}

void NitCapture::Deliver(std::int32_t Len, const std::uint8_t* Data) noexcept {
  if (Data == nullptr || Len <= 0) return;
  try {
    std::lock_guard lock(mutex_);
    const std::span<const std::uint8_t> bytes(Data, static_cast<std::size_t>(Len));
    if (bytes.size() % kPayloadSize != 0) {
      DeliverLocked(bytes, PayloadStart::kUnknown);
      return;
    }
    for (std::size_t at = 0; at < bytes.size(); at += kPayloadSize) {
      DeliverLocked(bytes.subspan(at, kPayloadSize), PayloadStart::kUnknown);
    }
  } catch (...) {
    // Nothing may unwind into the host's thread; the delivery is dropped.
  }
}

void NitCapture::Deliver(std::int32_t Len, const std::uint8_t* Data, PayloadStart start) noexcept {
  if (Data == nullptr || Len <= 0) return;
  try {
    std::lock_guard lock(mutex_);
    DeliverLocked(std::span<const std::uint8_t>(Data, static_cast<std::size_t>(Len)), start);
  } catch (...) {
  }
}

void NitCapture::Discontinuity() noexcept {
  try {
    std::lock_guard lock(mutex_);
    splitter_.Discontinuity();
  } catch (...) {
  }
}

void NitCapture::DeliverLocked(std::span<const std::uint8_t> payload, PayloadStart start) {
  // Between searches nothing is assembled; a search starts from scratch.
  if (searchDone_.load()) return;
  splitter_.Push(payload, start);
}

// Called by the splitter inside Push(), with the mutex held.
void NitCapture::OnSection(std::span<const std::uint8_t> section) {
  if (searchDone_.load() || !collector_.Add(section)) return;
  // A parser failure must not keep the search waiting for ever: the entries
  // already handed over stay and the search counts as finished.
  try {
    ParseNitBuffer(collector_.Sections(), position_, sink_, decimalSeparator_);
  } catch (...) {
  }
  searchDone_.store(true);
}

void NitCapture::ResetAssembly() {
  splitter_.Reset();
  collector_.Reset();
}

void NitCapture::StartSearch() {
  StopNitFilter();
  {
    std::lock_guard lock(mutex_);
    ResetAssembly();
    searchDone_.store(false);
  }
  host_.SendStartFilter();
}

void NitCapture::StopSearch() {
  StopNitFilter();
  std::lock_guard lock(mutex_);
  searchDone_.store(true);
  ResetAssembly();
}

void NitCapture::StopNitFilter() { host_.SendStopFilter(); }

SatPosition NitCapture::Position() const {
  std::lock_guard lock(mutex_);
  return position_;
}

}  // namespace velq
