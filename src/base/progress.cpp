#include "base/progress.h"

#include <cmath>

namespace scourvane {

int progressValue(std::int64_t total, std::int64_t done, int max) {
    if (total <= 0 || done <= 0) return 0;
    double v = std::nearbyint(static_cast<double>(max) * static_cast<double>(done) /
                              static_cast<double>(total));  // default mode: halves to even
    if (v > max) return max;
    return static_cast<int>(v);
}

}  // namespace scourvane
