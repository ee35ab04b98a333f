#pragma once
// The names of one count under the safe rules, looked up by the identifiers of the lines: equal
// keys (the name without its type character, letter case ignored) form one group. The same
// interface as NameWords, so that the checks that count through it serve both rule sets.
#include <algorithm>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "text/codepage.h"
#include "rules/identifiers.h"
#include "index/row_tokens.h"
#include "index/word_ids.h"

namespace scourvane {

class SafeNames {
  public:
    // What uses a name: an identifier of the line's code, or that or a string literal whose
    // whole text is the name.
    enum class Tokens { Identifiers, Both };
    SafeNames(std::span<const text::Bytes> names, Tokens tokens);

    std::size_t groups() const { return members_.size(); }
    const std::vector<std::size_t>& members(std::uint32_t group) const { return members_[group]; }
    // Names are all looked up by key; a name that is no identifier has a group no line uses.
    const std::vector<std::size_t>& unplain() const { return none_; }

    // Rows of a module tokenised ahead: forEachUseAt(row, ...) takes the tokens of rows[first +
    // row] while the line is still that row.
    void useRowTokens(const RowTokens* tokens, std::size_t first);

    // forEachUse, for the line that stands at `row`.
    template <class Hit, class InString>
    void forEachUseAt(std::size_t row, std::string_view line, Hit&& hit, InString&& inString) {
        if (members_.empty()) return;
        if (!rowTokens_ || !rowTokens_->same(firstRow_ + row, line)) {
            forEachUse(line, std::forward<Hit>(hit), std::forward<InString>(inString));
            return;
        }
        ++line_;
        for (const RowTokens::Token& t : rowTokens_->tokens(firstRow_ + row)) {
            if (t.literal && tokens_ == Tokens::Identifiers) continue;
            if (!(wordMask_ & wordBit(t.word))) continue;
            const auto it = groupOfWord_.find(t.word);
            if (it == groupOfWord_.end()) continue;
            const std::uint32_t g = it->second;
            if (t.literal) inString(g);
            if (seen_[g] == line_) continue;
            seen_[g] = line_;
            hit(g);
        }
    }
    template <class Hit>
    void forEachUseAt(std::size_t row, std::string_view line, Hit&& hit) {
        forEachUseAt(row, line, std::forward<Hit>(hit), [](std::uint32_t) {});
    }

    // Calls hit(group) once for each group whose name the line uses.
    template <class Hit>
    void forEachUse(std::string_view line, Hit&& hit) {
        forEachUse(line, std::forward<Hit>(hit), [](std::uint32_t) {});
    }
    // The same, and besides inString(group) for every string literal of the line whose whole
    // text is a group's name (with Tokens::Both).
    template <class Hit, class InString>
    void forEachUse(std::string_view line, Hit&& hit, InString&& inString) {
        if (members_.empty()) return;
        ++line_;
        forEachIdentifier(line, cp_, tokens_ != Tokens::Identifiers,
                          [&](std::string_view token, bool literal) {
                              // Most tokens have a length no name has: no hash for them.
                              if (!(lengths_ & lengthBit(token.size()))) return;
                              const std::uint32_t g = ids_.find(token);
                              if (g == WordIds::kNone) return;
                              if (literal) inString(g);
                              if (seen_[g] == line_) return;
                              seen_[g] = line_;
                              hit(g);
                          },
                          scratch_);
    }

  private:
    static std::uint64_t lengthBit(std::size_t length) {
        return std::uint64_t{1} << std::min<std::size_t>(length, 63);
    }
    static std::uint64_t wordBit(std::uint32_t word) { return std::uint64_t{1} << (word & 63); }

    const text::CodePage& cp_;
    Tokens tokens_;
    WordIds ids_;
    std::vector<std::vector<std::size_t>> members_;
    std::vector<std::size_t> none_;
    std::vector<std::uint64_t> seen_;
    std::uint64_t line_ = 0;
    std::string scratch_;       // a folded token, kept from line to line
    std::uint64_t lengths_ = 0;  // a bit for each length of a key (63: that or longer)
    const RowTokens* rowTokens_ = nullptr;
    std::size_t firstRow_ = 0;
    std::unordered_map<std::uint32_t, std::uint32_t> groupOfWord_;  // the rows' word -> group
    std::uint64_t wordMask_ = 0;  // wordBit of every word in groupOfWord_
};

}  // namespace scourvane
