#pragma once
// Reads the header of each packet of one PID the way a demultiplexer does,
// so that the section splitter gets exactly the payload bytes and knows
// where units start: the payload follows any adaptation field
// (adaptation_field_control 3; 2 carries none), a packet flagged by
// transport_error_indicator is dropped, a packet sent twice (the same
// continuity counter and the same bytes) is ignored, and a gap in the
// counter reports lost packets. The same counter with other contents is
// such a gap too: a repeat copies its original, so a new packet with the
// last one's counter means a whole round of the counter went missing.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace velq {

struct TsPidPayload {
  bool afterGap = false;                   // packets were lost before this one
  std::span<const std::uint8_t> bytes{};   // empty: nothing to hand on
  bool unitStart = false;                  // payload_unit_start_indicator: bytes[0] is a pointer_field
};

class TsPayloadReader {
 public:
  // `packet`: 188 bytes of the PID, sync byte first.
  TsPidPayload Read(const std::uint8_t* packet);

 private:
  bool RepeatsLast(const std::uint8_t* packet, std::size_t offset) const;

  int counter_ = -1;  // of the last packet with a payload; -1 before the first
  std::array<std::uint8_t, 188> last_{};  // that packet, to know a repeat
  std::size_t lastOffset_ = 0;            // where its payload starts
};

}  // namespace velq
