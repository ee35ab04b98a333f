#pragma once
// The names of one count (a module's Private or Public names, a procedure's Dim names), looked
// up by the words of the lines instead of testing each line against each name. Equal names form
// one group; names that are not plain are listed apart, for the occurrence test.
#include <array>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "text/codepage.h"
#include "rules/occurrence.h"
#include "index/word_ids.h"
#include "index/words.h"

namespace scourvane {

class NameWords {
  public:
    explicit NameWords(std::span<const text::Bytes> names);

    std::size_t groups() const { return members_.size(); }
    // Indexes (into the names given) of the names of a group.
    const std::vector<std::size_t>& members(std::uint32_t group) const { return members_[group]; }
    std::string_view name(std::uint32_t group) const { return ids_.word(group); }
    // Indexes of the names that are not plain.
    const std::vector<std::size_t>& unplain() const { return unplain_; }

    // Calls hit(group) once for each group whose name the line uses.
    template <class Hit>
    void forEachUse(std::string_view line, Hit&& hit) {
        if (members_.empty()) return;
        ++line_;
        forEachWord(line, [&](std::string_view word, words::Where where) {
            // Most words cannot be a name: their first byte or their length says so.
            if (!firstBytes_[static_cast<unsigned char>(word[0])]) return;
            if (((lengths_ >> (word.size() < 64 ? word.size() : 0)) & 1) == 0) return;
            const std::uint32_t g = ids_.find(word);
            if (g == WordIds::kNone || seen_[g] == line_) return;
            seen_[g] = line_;
            // Code words come before comment words, so a comment word is only asked about
            // when no code word of the line gave the name already.
            if (where == words::Where::Code || usesName(line, word)) hit(g);
        });
    }

  private:
    WordIds ids_;
    std::vector<std::vector<std::size_t>> members_;
    std::vector<std::size_t> unplain_;
    std::vector<std::uint64_t> seen_;     // the last line each group was met on
    std::array<bool, 256> firstBytes_{};  // first bytes of the names
    std::uint64_t lengths_ = 0;           // bit n: a name of n bytes; bit 0: one of 64 or more
    std::uint64_t line_ = 0;
};

}  // namespace scourvane
