#include "usage/use_counter.h"

#include <type_traits>

#include "index/name_words.h"
#include "rules/occurrence.h"
#include "index/safe_names.h"

namespace scourvane {

namespace {

class PlainUseCounter final : public UseCounter {
  public:
    void addUses(std::span<const text::Bytes> names, std::span<const std::string_view> lines,
                 std::span<std::int64_t> counts, const AfterLine& afterLine,
                 const RowTokens*) const override {
        for (std::size_t i = 0; i < lines.size(); ++i) {
            for (std::size_t k = 0; k < names.size(); ++k)
                if (usesName(lines[i], names[k])) ++counts[k];
            if (afterLine) afterLine(i);
        }
    }
};

// Each line's words looked up among the names; names the lookup cannot find by word (only
// NameWords has such) go through the occurrence test.
template <class Lookup>
void addThrough(Lookup& lookup, std::span<const text::Bytes> names,
                std::span<const std::string_view> lines, std::span<std::int64_t> counts,
                const AfterLine& afterLine, [[maybe_unused]] const RowTokens* tokens) {
    if constexpr (std::is_same_v<Lookup, SafeNames>) lookup.useRowTokens(tokens, 0);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        auto hit = [&](std::uint32_t g) {
            for (std::size_t k : lookup.members(g)) ++counts[k];
        };
        if constexpr (std::is_same_v<Lookup, SafeNames>)
            lookup.forEachUseAt(i, lines[i], hit);
        else
            lookup.forEachUse(lines[i], hit);
        for (std::size_t k : lookup.unplain())
            if (usesName(lines[i], names[k])) ++counts[k];
        if (afterLine) afterLine(i);
    }
}

class IndexedUseCounter final : public UseCounter {
  public:
    void addUses(std::span<const text::Bytes> names, std::span<const std::string_view> lines,
                 std::span<std::int64_t> counts, const AfterLine& afterLine,
                 const RowTokens* tokens) const override {
        NameWords lookup(names);
        addThrough(lookup, names, lines, counts, afterLine, tokens);
    }
};

class SafeUseCounter final : public UseCounter {
  public:
    explicit SafeUseCounter(bool literals) : literals_(literals) {}
    void addUses(std::span<const text::Bytes> names, std::span<const std::string_view> lines,
                 std::span<std::int64_t> counts, const AfterLine& afterLine,
                 const RowTokens* tokens) const override {
        SafeNames lookup(names,
                         literals_ ? SafeNames::Tokens::Both : SafeNames::Tokens::Identifiers);
        addThrough(lookup, names, lines, counts, afterLine, tokens);
    }

  private:
    bool literals_;
};

}  // namespace

const UseCounter& safeUseCounter(bool literals) {
    static const SafeUseCounter withLiterals(true), without(false);
    return literals ? withLiterals : without;
}

const UseCounter& plainUseCounter() {
    static const PlainUseCounter counter;
    return counter;
}

const UseCounter& indexedUseCounter() {
    static const IndexedUseCounter counter;
    return counter;
}

}  // namespace scourvane
