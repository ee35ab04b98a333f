#include "index/row_tokens.h"

#include "rules/identifiers.h"
#include "text/lines.h"

namespace scourvane {

RowTokens::RowTokens(std::string text) : cp_(text::activeCodePage()), text_(std::move(text)) {
    // Tokenised from a folded copy, whose rows lie at the same places: folding the whole text
    // at once costs less than folding token by token.
    std::string folded = text_;
    identifiers::foldInPlace(folded, cp_);
    // About one token in six bytes, one row in thirty: few regrowths.
    tokens_.reserve(text_.size() / 6);
    rows_.reserve(text_.size() / 30);
    rowStart_.reserve(text_.size() / 30);
    text::LineReader reader(text_);
    while (!reader.atEnd()) {
        const std::string_view row = reader.readLine();
        rows_.push_back(row);
        rowStart_.push_back(tokens_.size());
        const std::string_view foldedRow =
            std::string_view(folded).substr(static_cast<std::size_t>(row.data() - text_.data()),
                                            row.size());
        forEachIdentifier(foldedRow, cp_, true, [&](std::string_view token, bool literal) {
            tokens_.push_back({words_.add(token), literal});
        });
    }
}

FileWords RowTokens::fileWords(std::string_view text) const {
    // Words met only in rows tokenised afresh get ids after the module's own.
    WordIds fresh;
    std::vector<std::uint64_t> seen;  // per id: the last row (+ 1) it was counted on
    std::vector<std::uint32_t> lines;
    const std::size_t own = words_.size();
    auto met = [&](std::uint32_t id, std::size_t row) {
        if (id >= seen.size()) {
            seen.resize(id + 1, 0);
            lines.resize(id + 1, 0);
        }
        if (seen[id] == row + 1) return;
        seen[id] = row + 1;
        ++lines[id];
    };
    std::string folded;
    text::LineReader reader(text);
    for (std::size_t r = 0; !reader.atEnd(); ++r) {
        const std::string_view row = reader.readLine();
        if (same(r, row)) {
            for (const Token& t : tokens(r)) met(t.word, r);
            continue;
        }
        forEachIdentifier(
            row, cp_, true,
            [&](std::string_view token, bool) {
                if (token.empty()) return;
                const std::uint32_t id = words_.find(token);
                met(id != WordIds::kNone ? id : static_cast<std::uint32_t>(own + fresh.add(token)),
                    r);
            },
            folded);
    }
    FileWords out;
    for (std::uint32_t id = 0; id < lines.size(); ++id) {
        if (lines[id] == 0) continue;
        const std::string_view word = id < own ? words_.word(id) : fresh.word(id - own);
        // Empty tokens (an empty string literal) are no word.
        if (word.empty()) continue;
        out.codeWords.push_back({{out.content.size(), word.size()}, lines[id]});
        out.content += word;
    }
    return out;
}

}  // namespace scourvane
