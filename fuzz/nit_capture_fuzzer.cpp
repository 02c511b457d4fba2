// Runs the capture through a program of starts, stops and deliveries of any
// length and content, checking after every step what must hold whatever the
// host sends: no read outside the delivery or the buffers (ASan), counters in
// range, at most one parse per search and only while it waits, and a whole
// table delivered during a search always parsed.

#include <algorithm>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "fuzz/capture_program.h"
#include "fuzz/entry_shape.h"
#include "fuzz/fuzz_bytes.h"
#include "fuzz/fuzz_check.h"
#include "search/nit_capture.h"
#include "search/nit_section_start.h"
#include "search/satellite_descriptor.h"
#include "tests/support/nit_builder.h"
#include "tests/support/recording_nit_sink.h"

namespace velq::fuzz {
namespace {

// A stored delivery is at most 920 bytes and lands before position 8191.
constexpr std::int64_t kLargestStream = 8190 + 920;
// Payloads of a table that still fits NitBuffer whole.
constexpr std::size_t kPayloadsThatFitBuffer = kNitBufferSize / 184;
// The last payload of a table must start below position 8191.
constexpr std::size_t kPayloadsThatComplete = 8191 / 184 + 1;

class CountingHost : public NitFilterHost {
 public:
  void SendStartFilter() override { Messages.push_back('+'); }
  void SendStopFilter() override { Messages.push_back('-'); }
  std::string Messages;
};

class CaptureRun {
 public:
  void Step(FuzzBytes& in) {
    switch (static_cast<CaptureOp>(in.Byte() % static_cast<std::uint8_t>(CaptureOp::Count))) {
      case CaptureOp::StartSearch: return StartSearch();
      case CaptureOp::StopSearch: return StopSearch();
      case CaptureOp::StopNitFilter: return StopNitFilter();
      case CaptureOp::DeliverBytes: {
        const std::int32_t length = ReadLength(in);
        return Deliver(length, MakeDelivery(length, {}, in).get());
      }
      case CaptureOp::DeliverSectionStart: return DeliverSectionStart(in);
      case CaptureOp::DeliverNull: return Deliver(ReadLength(in), nullptr);
      case CaptureOp::DeliverWholeTable: return DeliverWholeTable(ReadTable(in));
      case CaptureOp::DeliverTableHead: {
        const std::size_t count = std::min<std::size_t>(in.Byte(), lastTable_.size());
        for (std::size_t i = 0; i < count; ++i) Deliver(184, lastTable_[i].data());
        return;
      }
      case CaptureOp::Count: break;
    }
  }

 private:
  void StartSearch() {
    capture_.StartSearch();
    Require(host_.Messages.ends_with("-+"), "Start Search stops the filter, then starts it");
    Require(!capture_.SearchDone(), "a started search waits for its table");
    const NitCaptureCounters c = capture_.Counters();
    Require(c.NitSectionsSeen == 0 && c.NitExpectedBytes == 0, "Start Search zeroes the counts");
    Require(c.StreamPosition == 0 && c.StreamSize == 0, "Start Search empties the stream");
    CheckCounters();
  }

  void StopSearch() {
    capture_.StopSearch();
    Require(host_.Messages.ends_with("-"), "Stop Search stops the filter");
    Require(capture_.SearchDone(), "a stopped search is done");
    CheckCounters();
  }

  void StopNitFilter() {
    const NitCaptureCounters before = capture_.Counters();
    const bool done = capture_.SearchDone();
    capture_.StopNitFilter();
    const NitCaptureCounters after = capture_.Counters();
    Require(done == capture_.SearchDone() && before.NitSectionsSeen == after.NitSectionsSeen &&
                before.NitExpectedBytes == after.NitExpectedBytes &&
                before.StreamPosition == after.StreamPosition,
            "closing the filter changes no capture state");
  }

  void DeliverSectionStart(FuzzBytes& in) {
    const std::int32_t length = ReadLength(in);
    const std::uint16_t sectionLength = in.U16() & 0x0FFF;
    const std::uint8_t header[9] = {0x00,
                                    0x40,
                                    static_cast<std::uint8_t>(0xF0 | sectionLength >> 8),
                                    static_cast<std::uint8_t>(sectionLength),
                                    0x00,
                                    0x01,
                                    0xC1,
                                    in.Byte(),
                                    in.Byte()};
    Deliver(length, MakeDelivery(length, header, in).get());
  }

  void DeliverWholeTable(const NitTable& table) {
    const bool waiting = !capture_.SearchDone();
    const std::size_t entriesBefore = sink_.Entries.size();
    const std::vector<SectionBytes> sections = BuildNitSections(table);
    lastTable_ = SectionsToPayloads(sections);
    for (const TsPayload& payload : lastTable_) Deliver(184, payload.data());
    if (!waiting || lastTable_.size() > kPayloadsThatComplete) return;

    Require(capture_.SearchDone(), "a whole table delivered while waiting is parsed");
    if (lastTable_.size() > kPayloadsThatFitBuffer) return;  // its tail was cut off
    const std::vector<std::string> got(sink_.Entries.begin() + entriesBefore, sink_.Entries.end());
    auto next = got.begin();
    for (const Transponder& t : table.Transponders) {
      const std::array<std::uint8_t, 13> bytes = EncodeSatelliteDescriptor(t);
      const std::optional<std::string> entry = DecodeEntryText(SatelliteDescriptorBytes(bytes));
      if (!entry) continue;
      next = std::find(next, got.end(), *entry);
      Require(next != got.end(), "every valid transponder of the table is listed, in order");
      ++next;
    }
  }

  // Exactly `length` bytes (none for a negative length), so that ASan sees
  // any read beyond them: `head`, then input bytes, then stuffing.
  static std::unique_ptr<std::uint8_t[]> MakeDelivery(std::int32_t length,
                                                      std::span<const std::uint8_t> head,
                                                      FuzzBytes& in) {
    const std::size_t size = static_cast<std::size_t>(std::max(length, 0));
    auto bytes = std::make_unique<std::uint8_t[]>(size);
    std::fill_n(bytes.get(), size, 0xFF);
    const std::size_t headSize = std::min(size, head.size());
    std::copy_n(head.begin(), headSize, bytes.get());
    const std::span<const std::uint8_t> body = in.Take(size - headSize);
    std::copy(body.begin(), body.end(), bytes.get() + headSize);
    return bytes;
  }

  void Deliver(std::int32_t length, const std::uint8_t* data) {
    const bool doneBefore = capture_.SearchDone();
    const std::size_t entriesBefore = sink_.Entries.size();
    const std::size_t linesBefore = sink_.SatelliteLines.size();
    const std::size_t messagesBefore = host_.Messages.size();

    capture_.Deliver(length, data);

    Require(host_.Messages.size() == messagesBefore, "a delivery never calls the host");
    const bool parsed = !doneBefore && capture_.SearchDone();
    Require(!doneBefore || capture_.SearchDone(), "only Start Search makes a search wait");
    const std::size_t added = sink_.Entries.size() - entriesBefore;
    Require(parsed || (added == 0 && sink_.SatelliteLines.size() == linesBefore),
            "entries come only from the one parse of a waiting search");
    if (parsed) CheckParse(entriesBefore, linesBefore);
    CheckCounters();
  }

  void CheckParse(std::size_t entriesBefore, std::size_t linesBefore) {
    const NitBufferBytes buffer = capture_.NitBuffer();
    const std::optional<NitSectionStart> head = ReadNitSectionStart(buffer.data(), buffer.size());
    Require(head && head->SectionNumber == 0, "the parsed copy begins with a first-section start");
    Require(capture_.Counters().NitSectionLen == 0, "a parse leaves no section under way");
    Require(sink_.SatelliteLines.size() - linesBefore == sink_.Entries.size() - entriesBefore,
            "each entry sets the satellite line");
    for (std::size_t i = entriesBefore; i < sink_.Entries.size(); ++i) {
      Require(IsEntryTextShape(sink_.Entries[i]), "entry text shape");
      Require(IsSatelliteLineShape(sink_.SatelliteLines[i], '.'), "satellite line shape");
    }
    const SatPosition position = capture_.Position();
    Require(position.SatPositionCode.empty() || IsPositionCodeShape(position.SatPositionCode),
            "position code shape");
  }

  void CheckCounters() {
    const NitCaptureCounters c = capture_.Counters();
    Require(c.NitSectionsSeen >= 0, "NitSectionsSeen is never negative");
    Require(c.NitExpectedBytes >= 0, "NitExpectedBytes is never negative");
    Require(c.NitSectionLen >= 0 && c.NitSectionLen <= 4095, "NitSectionLen within 12 bits");
    Require(c.NitLastSectionNo >= 0 && c.NitLastSectionNo <= 255, "NitLastSectionNo is a byte");
    Require(c.StreamPosition >= 0 && c.StreamPosition <= c.StreamSize,
            "the stream position lies within the stream");
    Require(c.StreamSize <= kLargestStream, "the stream never grows past one stored delivery");
  }

  CountingHost host_;
  RecordingNitSink sink_;
  NitCapture capture_{host_, sink_, '.'};
  std::vector<TsPayload> lastTable_;
};

}  // namespace
}  // namespace velq::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  velq::fuzz::FuzzBytes in({data, size});
  velq::fuzz::CaptureRun run;
  while (!in.empty()) run.Step(in);
  return 0;
}
