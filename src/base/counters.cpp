#include "base/counters.h"

#include <limits>
#include <string>

#include "base/run_error.h"

namespace scourvane {

void Counters::add(CounterId id, std::int32_t delta, Window& window) {
    auto& v = values_[static_cast<std::size_t>(indexOf(id))];
    std::int64_t next = static_cast<std::int64_t>(v) + delta;
    if (next > std::numeric_limits<std::int32_t>::max() ||
        next < std::numeric_limits<std::int32_t>::min())
        throw overflowError("counter");
    v = static_cast<std::int32_t>(next);
    show(id, window);
}

void Counters::show(CounterId id, Window& window) const {
    window.setCounterLabel(id, std::to_string(get(id)));
}

void resetLabels(Window& window) {
    for (int i = 0; i < kCounterCount; ++i) window.setCounterLabel(static_cast<CounterId>(i), "");
}

}  // namespace scourvane
