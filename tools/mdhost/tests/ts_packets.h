#pragma once
// Transport-stream packets for tests: every payload byte says which packet
// it came from, so a misplaced byte shows.

#include <cstdint>
#include <string>
#include <vector>

#include "tools/mdhost/ts_payload_reader.h"

namespace mdhost::test {

inline TsPayload payloadOf(std::uint8_t tag) {
  TsPayload payload;
  for (std::size_t i = 0; i < payload.size(); ++i) payload[i] = static_cast<std::uint8_t>(tag + i);
  return payload;
}

// adaptationControl: 1 payload only, 2 adaptation field only, 3 both.
inline std::string packet(std::uint16_t pid, std::uint8_t tag, std::uint8_t adaptationControl = 1) {
  std::string bytes{char(0x47), char(0x40 | (pid >> 8)), char(pid & 0xFF), char(adaptationControl << 4)};
  TsPayload payload = payloadOf(tag);
  bytes.append(payload.begin(), payload.end());
  return bytes;
}

}  // namespace mdhost::test
