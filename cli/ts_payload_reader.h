#pragma once
// Reads the header of each packet of one PID the way a demultiplexer does,
// so that the section splitter gets exactly the payload bytes and knows
// where units start: the payload follows any adaptation field
// (adaptation_field_control 3; 2 carries none), a packet flagged by
// transport_error_indicator is dropped, a repeated packet (same continuity
// counter) is ignored, and a gap in the counter reports lost packets.

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
  int counter_ = -1;  // of the last packet with a payload; -1 before the first
};

}  // namespace velq
