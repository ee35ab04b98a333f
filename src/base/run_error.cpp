#include "base/run_error.h"

namespace scourvane {

RunError overflowError(const std::string& what) {
    return RunError(err::kOverflow, "オーバーフローしました: " + what);
}

}  // namespace scourvane
