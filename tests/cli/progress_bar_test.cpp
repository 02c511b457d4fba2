#include "cli/progress_bar.h"

#include <gtest/gtest.h>

namespace velq {
namespace {

TEST(ProgressBarLine, FillsInProportionAndNeverOverflows) {
  struct Case {
    std::uint64_t done;
    std::uint64_t total;
    const char* line;
  };
  for (const Case& c : {Case{0, 200'000'000, "[..........]   0%  0.0 / 200.0 MB"},
                        Case{100'000'000, 200'000'000, "[#####.....]  50%  100.0 / 200.0 MB"},
                        Case{199'999'999, 200'000'000, "[#########.]  99%  200.0 / 200.0 MB"},
                        Case{200'000'000, 200'000'000, "[##########] 100%  200.0 / 200.0 MB"},
                        Case{300'000'000, 200'000'000, "[##########] 100%  200.0 / 200.0 MB"},
                        Case{5, 0, "[##########] 100%  0.0 / 0.0 MB"}}) {
    EXPECT_EQ(ProgressBarLine(c.done, c.total, 10), c.line) << c.done << " of " << c.total;
  }
}

}  // namespace
}  // namespace velq
