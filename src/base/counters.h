#pragma once
// The six counters of a run. Each change is shown in the counter's label at once.
#include <array>
#include <cstdint>

#include "base/window.h"

namespace scourvane {

class Counters {
  public:
    std::int32_t get(CounterId id) const { return values_[static_cast<std::size_t>(indexOf(id))]; }
    // Adds delta (throws RunError 6 on overflow) and shows the new value in the label.
    void add(CounterId id, std::int32_t delta, Window& window);
    void zero() { values_.fill(0); }
    // Sets the label of `id` to the counter's decimal value.
    void show(CounterId id, Window& window) const;

  private:
    std::array<std::int32_t, kCounterCount> values_{};
};

// Empties the six counter labels, in the order Dim, UnusedDim, Private, UnusedPrivate, Public,
// UnusedPublic.
void resetLabels(Window& window);

}  // namespace scourvane
