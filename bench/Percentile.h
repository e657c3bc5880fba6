// The benchmarks' one statistic: the p-th percentile of the samples by the
// nearest-rank rule (p = 0.5 is the median, p = 0.99 the p99).
#pragma once

#include <algorithm>
#include <cmath>
#include <vector>

namespace cuelark::bench {

inline double Percentile(std::vector<double> values, double p) {
  if (values.empty()) return NAN;
  std::sort(values.begin(), values.end());
  const auto rank = static_cast<std::size_t>(std::ceil(p * static_cast<double>(values.size())));
  return values[std::min(rank == 0 ? 0 : rank - 1, values.size() - 1)];
}

}  // namespace cuelark::bench
