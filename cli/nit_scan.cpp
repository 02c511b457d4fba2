#include "cli/nit_scan.h"

#include <cstring>
#include <memory>

#include "cli/check_list_sink.h"
#include "cli/nit_other_networks.h"
#include "cli/ts_packet_framer.h"
#include "cli/ts_payload_reader.h"
#include "search/nit_capture.h"

namespace velq {
namespace {

// A recording has no section filter to open or close.
class RecordedStreamHost : public NitFilterHost {
 public:
  void SendStartFilter() override {}
  void SendStopFilter() override {}
};

}  // namespace

NitScanResult ScanForNit(const BlockReader& read, const ScanProgress& onProgress,
                         NitOtherNetworks* others) {
  NitScanResult result;
  RecordedStreamHost host;
  CheckListSink sink(result.list, result.satelliteLine);
  NitCapture capture(host, sink, '.');
  capture.StartSearch();

  TsPayloadReader reader;
  TsPacketFramer framer(kNitPacketPid, [&capture, &reader, others](const std::uint8_t* packet) {
    const TsPidPayload payload = reader.Read(packet);
    if (payload.afterGap) {
      capture.Discontinuity();
      if (others) others->Discontinuity();
    }
    if (!payload.bytes.empty()) {
      capture.Deliver(static_cast<std::int32_t>(payload.bytes.size()), payload.bytes.data(),
                      payload.unitStart ? PayloadStart::kUnitStart : PayloadStart::kContinuation);
      if (others) others->Push(payload.bytes, payload.unitStart);
    }
    return others != nullptr || !capture.SearchDone();
  });

  // Not zeroed: every byte framed has been read into it first.
  const std::size_t capacity = kTsFramerMaxTail + kScanBlockSize;
  const auto buffer = std::make_unique_for_overwrite<std::uint8_t[]>(capacity);
  std::size_t have = 0;
  bool atEnd = false;
  while (!atEnd && !framer.stopped()) {
    const std::size_t got = read(buffer.get() + have, capacity - have);
    atEnd = got == 0;
    have += got;
    result.bytesRead += got;
    if (onProgress && got != 0) onProgress(result.bytesRead);

    const std::size_t done = framer.Frame(buffer.get(), have, atEnd);
    std::memmove(buffer.get(), buffer.get() + done, have - done);
    have -= done;
  }

  capture.StopNitFilter();
  result.tableParsed = capture.SearchDone();
  result.position = capture.Position();
  result.packets = framer.packets();
  result.packetDistance = framer.stride();
  return result;
}

}  // namespace velq
