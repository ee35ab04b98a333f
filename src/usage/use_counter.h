#pragma once
// Counting uses: for a set of names over a set of lines, how many lines use each name. The
// private and public passes ask only this question, so a faster way to answer it (an index)
// can stand in for the plain one; the plain one is the reference it must match.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string_view>

#include "text/codepage.h"

namespace scourvane {

class RowTokens;

// Called after line i has been counted, in line order; the passes yield and show progress there.
using AfterLine = std::function<void(std::size_t line)>;

class UseCounter {
  public:
    virtual ~UseCounter() = default;
    // Adds to counts[k] the number of `lines` that use names[k] by the occurrence test; a line
    // that uses a name several times adds 1. `counts` has one element per name. `tokens`, when
    // given, are the lines tokenised ahead (line i is their row i while unchanged); only the
    // safe rules' counting reads them.
    virtual void addUses(std::span<const text::Bytes> names,
                         std::span<const std::string_view> lines, std::span<std::int64_t> counts,
                         const AfterLine& afterLine, const RowTokens* tokens = nullptr) const = 0;
};

// Every pair of a line and a name through the occurrence test, line by line: the reference.
const UseCounter& plainUseCounter();
// The same counts by looking the words of each line up among the names.
const UseCounter& indexedUseCounter();
// The safe rules' counts: lines whose code holds the name as an identifier, letter case
// ignored; with `literals`, also lines with a string literal whose whole text is the name.
const UseCounter& safeUseCounter(bool literals);

}  // namespace scourvane
