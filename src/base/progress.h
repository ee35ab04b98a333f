#pragma once
// The progress step: done's share of the bar's maximum, halves rounded to even, held at the
// maximum. The bar's maximum is 100.
#include <cstdint>

namespace scourvane {

inline constexpr int kProgressMax = 100;

// The value the bar shows for `done` of `total`. A total of 0 or less gives 0.
int progressValue(std::int64_t total, std::int64_t done, int max = kProgressMax);

}  // namespace scourvane
