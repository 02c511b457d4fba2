#include "cli/nit_scan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "tools/nit_builder/nit_layouts.h"

namespace velq {
namespace {

// Each layout joined inside a section, handed out in odd blocks as a pipe
// does, with a long tail after the table that is never read. Each layout
// from its start: test_layouts.py.
TEST(ScanForNit, FindsTheTableOfEveryLayoutAndReadsNoFurther) {
  for (const NitLayout& layout : BuildNitLayouts()) {
    SCOPED_TRACE(layout.Name);
    std::vector<std::uint8_t> stream;
    for (std::size_t i = 1; i < layout.Packets.size(); ++i) {
      stream.insert(stream.end(), layout.Packets[i].begin(), layout.Packets[i].end());
    }
    const std::size_t tableEnd = stream.size();
    for (std::size_t at = tableEnd; at < tableEnd + 2 * kScanBlockSize; at += 188) {
      stream.insert(stream.end(), {0x47, 0x1F, 0xFF, 0x10});  // null packets
      stream.resize(at + 188, 0xFF);
    }
    std::size_t offset = 0;
    const NitScanResult result = ScanForNit([&](std::uint8_t* buffer, std::size_t capacity) {
      const std::size_t n = std::min({capacity, std::size_t{1000}, stream.size() - offset});
      std::memcpy(buffer, stream.data() + offset, n);
      offset += n;
      return n;
    });
    ASSERT_TRUE(result.tableParsed);
    std::vector<std::string> entries = result.list.CheckedTexts();
    std::ranges::sort(entries);
    EXPECT_EQ(entries, ExpectedEntryTexts(layout.Expected));
    EXPECT_EQ(result.position.SatPositionCode + ".ini", layout.ListFile);
    EXPECT_LT(result.bytesRead, tableEnd + kScanBlockSize);
  }
}

}  // namespace
}  // namespace velq
