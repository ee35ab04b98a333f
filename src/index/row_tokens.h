#pragma once
// The tokens of a module's rows as the safe rules see them, made once and looked up by every
// pass that follows. A pass changes few rows (a marked row is a comment), so each asks for a
// row together with the row as it stands: the tokens made are used only while the row is still
// the same bytes, and any other row is tokenised afresh.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "index/file_words.h"
#include "index/word_ids.h"
#include "text/codepage.h"

namespace scourvane {

class RowTokens {
  public:
    struct Token {
        std::uint32_t word;  // in words()
        bool literal;        // the text of a string literal, not an identifier
    };

    // Every row of `text` (kept by this object).
    explicit RowTokens(std::string text);

    const WordIds& words() const { return words_; }
    // Whether `line` is row `row` as it was made.
    bool same(std::size_t row, std::string_view line) const {
        return row < rows_.size() && rows_[row] == line;
    }
    std::span<const Token> tokens(std::size_t row) const {
        const std::size_t end = row + 1 < rowStart_.size() ? rowStart_[row + 1] : tokens_.size();
        return std::span<const Token>(tokens_).subspan(rowStart_[row], end - rowStart_[row]);
    }

    // The words of `text`, as fileWords counts them under the safe rules.
    FileWords fileWords(std::string_view text) const;

  private:
    const text::CodePage& cp_;
    std::string text_;
    std::vector<std::string_view> rows_;
    std::vector<std::size_t> rowStart_;  // per row, its first token
    std::vector<Token> tokens_;
    WordIds words_;
};

}  // namespace scourvane
