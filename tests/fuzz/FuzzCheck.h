// A round-trip property that does not hold is a finding: libFuzzer keeps the
// input that broke it as a crash artifact.
#pragma once

#include <cstdio>
#include <cstdlib>

namespace cuelark::fuzz {

inline void Require(bool holds, const char* property) {
  if (holds) return;
  std::fprintf(stderr, "round trip broken: %s\n", property);
  std::abort();
}

}  // namespace cuelark::fuzz
