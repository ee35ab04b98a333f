#include "usage/use_counter.h"

#include "usage/occurrence.h"

namespace scourvane {

namespace {

class PlainUseCounter final : public UseCounter {
  public:
    void addUses(std::span<const text::Bytes> names, std::span<const text::Bytes> lines,
                 std::span<std::int64_t> counts, const AfterLine& afterLine) const override {
        for (std::size_t i = 0; i < lines.size(); ++i) {
            for (std::size_t k = 0; k < names.size(); ++k)
                if (usesName(lines[i], names[k])) ++counts[k];
            if (afterLine) afterLine(i);
        }
    }
};

}  // namespace

const UseCounter& plainUseCounter() {
    static const PlainUseCounter counter;
    return counter;
}

}  // namespace scourvane
