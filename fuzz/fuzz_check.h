#pragma once
// A broken invariant is a finding: say which, then abort so that libFuzzer
// keeps the input that led there.

#include <cstdio>
#include <cstdlib>

namespace velq::fuzz {

inline void Require(bool holds, const char* invariant) {
  if (holds) return;
  std::fprintf(stderr, "invariant broken: %s\n", invariant);
  std::abort();
}

}  // namespace velq::fuzz
