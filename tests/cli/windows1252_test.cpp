#include "cli/windows1252.h"

#include <gtest/gtest.h>

namespace velq {
namespace {

TEST(Windows1252ToUtf8, ConvertsEveryKindOfByte) {
  const std::pair<std::string, std::string> cases[] = {
      {"(19,2\xB0" "E) 0123", "(19,2\xC2\xB0" "E) 0123"}, {std::string("a\0b", 3), std::string("a\0b", 3)},
      {"\x80\x8A\x9F", "\xE2\x82\xAC\xC5\xA0\xC5\xB8"},  // euro sign, S caron, Y diaeresis
      {"\x81\x9D", "\xC2\x81\xC2\x9D"},                    // undefined: kept as C1 controls
      {"\xA0\xE9\xFF", "\xC2\xA0\xC3\xA9\xC3\xBF"},        // Latin-1 as it is
  };
  for (const auto& [in, out] : cases) EXPECT_EQ(Windows1252ToUtf8(in), out) << in;
}

}  // namespace
}  // namespace velq
