#include "cli/ts_payload_reader.h"

#include <gtest/gtest.h>

#include <array>

namespace velq {
namespace {

using Packet = std::array<std::uint8_t, 188>;

// A packet of PID 0x0010: flags 0x80 transport error, 0x40 unit start; the
// adaptation_field_length after the header when control is 2 or 3.
Packet Make(std::uint8_t flags, unsigned control, unsigned counter, std::uint8_t adaptation = 0,
            std::uint8_t fill = 0xAB) {
  Packet p;
  p.fill(fill);
  p[0] = 0x47, p[1] = flags, p[2] = 0x10, p[3] = static_cast<std::uint8_t>(control << 4 | counter);
  if (control >= 2) p[4] = adaptation;
  return p;
}

TEST(TsPayloadReader, ReadsPayloadStartsGapsRepeatsAndDamage) {
  const struct {
    Packet packet;
    bool afterGap;
    std::size_t payloadSize;  // the packet's last bytes
    bool unitStart;
  } steps[] = {
      {Make(0x40, 1, 3), false, 184, true},          // the first packet: no gap to see
      {Make(0x00, 1, 4), false, 184, false},
      {Make(0x00, 1, 4), false, 0, false},           // sent twice: ignored
      {Make(0x40, 1, 4, 0, 0xCD), true, 184, true},  // same counter, other bytes: a round was lost
      {Make(0x00, 2, 4, 183), false, 0, false},      // adaptation field only: counter stays
      {Make(0x40, 3, 5, 7), false, 176, true},       // payload after 1 + 7 adaptation bytes
      {Make(0x00, 3, 6, 183), false, 0, false},      // adaptation field fills the packet
      {Make(0x80, 1, 7), false, 0, false},           // transport error: dropped...
      {Make(0x00, 1, 8), true, 184, false},          // ...so the next one follows a gap
      {Make(0x00, 0, 9), false, 0, false},           // reserved control: no payload
      {Make(0x40, 3, 9, 200), true, 0, false},       // adaptation field past the packet: lost
      {Make(0x00, 1, 10), false, 184, false},
      {Make(0x00, 1, 0), true, 184, false},          // counter jumps
  };
  TsPayloadReader reader;
  for (std::size_t i = 0; i < std::size(steps); ++i) {
    const TsPidPayload read = reader.Read(steps[i].packet.data());
    EXPECT_EQ(read.afterGap, steps[i].afterGap) << i;
    EXPECT_EQ(read.bytes.size(), steps[i].payloadSize) << i;
    EXPECT_EQ(read.unitStart, steps[i].unitStart) << i;
    EXPECT_TRUE(read.bytes.empty() || read.bytes.data() + read.bytes.size() == steps[i].packet.data() + 188) << i;
  }
}

}  // namespace
}  // namespace velq
