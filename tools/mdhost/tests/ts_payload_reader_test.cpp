#include "tools/mdhost/ts_payload_reader.h"

#include <gtest/gtest.h>

#include <sstream>
#include <vector>

#include "tools/mdhost/tests/ts_packets.h"

namespace mdhost {
namespace {

using test::packet;
using test::payloadOf;

std::vector<TsPayload> readAll(const std::string& stream, std::uint16_t pid) {
  std::istringstream in(stream);
  TsPayloadReader reader(in, pid);
  std::vector<TsPayload> out;
  TsPayload payload;
  while (reader.next(payload)) out.push_back(payload);
  return out;
}

TEST(TsPayloadReader, DeliversOnlyThePayloadBearingPacketsOfThePid) {
  struct Case {
    const char* what;
    std::string stream;
    std::vector<std::uint8_t> tags;
  } cases[] = {
      {"other PIDs skipped", packet(0x11, 1) + packet(0x10, 2) + packet(0x1FFF, 3) + packet(0x10, 4), {2, 4}},
      {"PID above 8 bits", packet(0x1010, 1) + packet(0x10, 2), {2}},
      {"adaptation field only has no payload", packet(0x10, 1, 2) + packet(0x10, 2, 3), {2}},
      {"junk before and between packets", "\x01\x02" + packet(0x10, 1) + "junk" + packet(0x10, 2), {1, 2}},
      {"trailing partial packet", packet(0x10, 1) + packet(0x10, 2).substr(0, 100), {1}},
      {"empty", "", {}},
  };
  for (const Case& c : cases) {
    auto payloads = readAll(c.stream, 0x10);
    ASSERT_EQ(payloads.size(), c.tags.size()) << c.what;
    for (std::size_t i = 0; i < payloads.size(); ++i) EXPECT_EQ(payloads[i], payloadOf(c.tags[i])) << c.what;
  }
}

TEST(TsPayloadReader, RewindStartsOverAfterTheEnd) {
  std::istringstream in(packet(0x10, 5) + packet(0x10, 6));
  TsPayloadReader reader(in, 0x10);
  TsPayload payload;
  while (reader.next(payload)) {
  }
  reader.rewind();
  ASSERT_TRUE(reader.next(payload));
  EXPECT_EQ(payload, payloadOf(5));
}

}  // namespace
}  // namespace mdhost
