#include "cli/nit_scan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <span>
#include <vector>

#include "cli/ts_packet_framer.h"
#include "tools/nit_builder/nit_layouts.h"

namespace velq {
namespace {

// velqtp's path, the TS headers read, on every layout from the first packet
// or joining mid-stream, read in blocks as a pipe hands them out; the
// stream goes on long after the table, and is not read to its end. The
// plug-in's path: nit_capture_test.cpp.
TEST(ScanForNit, FindsTheTableOfEveryLayoutAndReadsNoFurther) {
  for (const NitLayout& layout : BuildNitLayouts()) {
    for (const std::size_t join : {std::size_t{0}, std::size_t{1}, layout.Packets.size() / 7}) {
      std::vector<std::uint8_t> stream;
      for (const TsPacket& p : std::span(layout.Packets).subspan(join)) stream.insert(stream.end(), p.begin(), p.end());
      const std::size_t tableEnd = stream.size();
      for (std::size_t at = tableEnd; at < tableEnd + 2 * kScanBlockSize; at += 188) {
        stream.insert(stream.end(), {0x47, 0x1F, 0xFF, 0x10});  // null packets
        stream.resize(at + 188, 0xFF);
      }
      for (const std::size_t chunk : {std::size_t{1000}, kScanBlockSize}) {
        SCOPED_TRACE(layout.Name + ", joining at packet " + std::to_string(join) + ", chunk " + std::to_string(chunk));
        std::size_t offset = 0;
        const NitScanResult result = ScanForNit([&](std::uint8_t* buffer, std::size_t capacity) {
          const std::size_t n = std::min({capacity, chunk, stream.size() - offset});
          std::memcpy(buffer, stream.data() + offset, n);
          offset += n;
          return n;
        });
        ASSERT_TRUE(result.tableParsed);
        std::vector<std::string> entries = result.list.CheckedTexts();
        std::ranges::sort(entries);
        EXPECT_EQ(entries, ExpectedEntryTexts(layout.Expected));
        EXPECT_EQ(result.position.SatPositionCode + ".ini", layout.ListFile);
        EXPECT_LE(result.bytesRead, tableEnd + kTsFramerMaxTail + kScanBlockSize);
      }
    }
  }
}

}  // namespace
}  // namespace velq
