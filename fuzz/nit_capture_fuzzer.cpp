// Runs the capture through a program of starts, stops, lost packets and
// deliveries of any length, content and start knowledge, checking after
// every step what must hold whatever the host sends: no read outside the
// delivery (ASan), the host never called from a delivery, at most one parse
// per search and only while it waits, and a whole table sent during a
// search - packed or not, starts known or inferred, after any junk - always
// parsed, giving exactly that table's entries in order.

#include <algorithm>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "fuzz/capture_program.h"
#include "fuzz/entry_shape.h"
#include "fuzz/fuzz_bytes.h"
#include "fuzz/fuzz_check.h"
#include "search/nit_capture.h"
#include "search/satellite_descriptor.h"
#include "tools/nit_builder/nit_builder.h"
#include "tests/support/recording_nit_sink.h"

namespace velq::fuzz {
namespace {

class CountingHost : public NitFilterHost {
 public:
  void SendStartFilter() override { Messages.push_back('+'); }
  void SendStopFilter() override { Messages.push_back('-'); }
  std::string Messages;
};

struct SentPacket {
  std::vector<std::uint8_t> payload;  // as a host hands it on: after the header
  bool unitStart;
};

class CaptureRun {
 public:
  void Step(FuzzBytes& in) {
    switch (static_cast<CaptureOp>(in.Byte() % static_cast<std::uint8_t>(CaptureOp::Count))) {
      case CaptureOp::StartSearch: return StartSearch();
      case CaptureOp::StopSearch: return StopSearch();
      case CaptureOp::StopNitFilter: return StopNitFilter();
      case CaptureOp::DeliverBytes: {
        const StartCode start = ReadStartCode(in);
        const std::int32_t length = ReadLength(in);
        return Deliver(start, length, MakeDelivery(length, {}, in).get());
      }
      case CaptureOp::DeliverSectionStart: return DeliverSectionStart(in);
      case CaptureOp::DeliverNull: return Deliver(StartCode::HostCall, ReadLength(in), nullptr);
      case CaptureOp::DeliverWholeTable: {
        const std::uint8_t carriage = in.Byte();
        return DeliverWholeTable(carriage, ReadTable(in));
      }
      case CaptureOp::DeliverTableHead: {
        const std::size_t count = std::min<std::size_t>(in.Byte(), lastTable_.size());
        for (std::size_t i = 0; i < count; ++i) DeliverPacket(lastTable_[i], lastCarriage_);
        return;
      }
      case CaptureOp::Discontinuity: return Discontinuity();
      case CaptureOp::Count: break;
    }
  }

 private:
  void StartSearch() {
    capture_.StartSearch();
    Require(host_.Messages.ends_with("-+"), "Start Search stops the filter, then starts it");
    Require(!capture_.SearchDone(), "a started search waits for its table");
  }

  void StopSearch() {
    capture_.StopSearch();
    Require(host_.Messages.ends_with("-"), "Stop Search stops the filter");
    Require(capture_.SearchDone(), "a stopped search is done");
  }

  void StopNitFilter() {
    const bool done = capture_.SearchDone();
    capture_.StopNitFilter();
    Require(done == capture_.SearchDone(), "closing the filter does not end or start a search");
  }

  void Discontinuity() {
    const bool done = capture_.SearchDone();
    capture_.Discontinuity();
    Require(done == capture_.SearchDone(), "a lost packet does not end or start a search");
  }

  void DeliverSectionStart(FuzzBytes& in) {
    const StartCode start = ReadStartCode(in);
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
    Deliver(start, length, MakeDelivery(length, header, in).get());
  }

  // Each whole table gets a network_id and version of its own, so it never
  // shares a collection with sections of an earlier one.
  void DeliverWholeTable(std::uint8_t carriage, NitTable table) {
    table.NetworkId = static_cast<std::uint16_t>(0x8000 | tablesSent_);
    table.Version = static_cast<std::uint8_t>(tablesSent_ % 32);
    ++tablesSent_;

    SectionCarrier carrier;
    for (const SectionBytes& section : BuildNitSections(table)) {
      if (carriage & kCarriageStuffing) carrier.Pack(BuildStuffingSection(3 + section.size() % 300));
      carrier.Pack(section);
      if (!(carriage & kCarriagePacked)) carrier.EndPayload();
    }
    lastTable_.clear();
    for (const TsPacket& packet : carrier.Take()) {
      lastTable_.push_back({PacketPayload(packet), (packet[1] & 0x40) != 0});
    }
    lastCarriage_ = carriage;

    const bool waiting = !capture_.SearchDone();
    const std::size_t entriesBefore = sink_.Entries.size();
    for (const SentPacket& packet : lastTable_) DeliverPacket(packet, carriage);
    if (!waiting) return;

    Require(capture_.SearchDone(), "a whole table sent while waiting is parsed");
    std::vector<std::string> expected;
    for (const Transponder& t : table.Transponders) {
      const std::array<std::uint8_t, 13> bytes = EncodeSatelliteDescriptor(t);
      const std::optional<std::string> entry = DecodeEntryText(SatelliteDescriptorBytes(bytes));
      if (entry) expected.push_back(*entry);
    }
    Require(std::equal(sink_.Entries.begin() + static_cast<std::ptrdiff_t>(entriesBefore),
                       sink_.Entries.end(), expected.begin(), expected.end()),
            "the parse lists exactly the table's valid transponders, in order");
  }

  void DeliverPacket(const SentPacket& packet, std::uint8_t carriage) {
    const StartCode start = !(carriage & kCarriageKnownStarts) ? StartCode::HostCall
                            : packet.unitStart                 ? StartCode::UnitStart
                                                               : StartCode::Continuation;
    Deliver(start, static_cast<std::int32_t>(packet.payload.size()), packet.payload.data());
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

  void Deliver(StartCode start, std::int32_t length, const std::uint8_t* data) {
    const bool doneBefore = capture_.SearchDone();
    const std::size_t entriesBefore = sink_.Entries.size();
    const std::size_t linesBefore = sink_.SatelliteLines.size();
    const std::size_t messagesBefore = host_.Messages.size();

    switch (start) {
      case StartCode::HostCall: capture_.Deliver(length, data); break;
      case StartCode::Unknown: capture_.Deliver(length, data, PayloadStart::kUnknown); break;
      case StartCode::Continuation: capture_.Deliver(length, data, PayloadStart::kContinuation); break;
      case StartCode::UnitStart: capture_.Deliver(length, data, PayloadStart::kUnitStart); break;
      case StartCode::Count: break;
    }

    Require(host_.Messages.size() == messagesBefore, "a delivery never calls the host");
    const bool parsed = !doneBefore && capture_.SearchDone();
    Require(!doneBefore || capture_.SearchDone(), "only Start Search makes a search wait");
    const std::size_t added = sink_.Entries.size() - entriesBefore;
    Require(parsed || (added == 0 && sink_.SatelliteLines.size() == linesBefore),
            "entries come only from the one parse of a waiting search");
    if (parsed) CheckParse(entriesBefore, linesBefore);
  }

  void CheckParse(std::size_t entriesBefore, std::size_t linesBefore) {
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

  CountingHost host_;
  RecordingNitSink sink_;
  NitCapture capture_{host_, sink_, '.'};
  std::vector<SentPacket> lastTable_;
  std::uint8_t lastCarriage_ = 0;
  unsigned tablesSent_ = 0;
};

}  // namespace
}  // namespace velq::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  velq::fuzz::FuzzBytes in({data, size});
  velq::fuzz::CaptureRun run;
  while (!in.empty()) run.Step(in);
  return 0;
}
