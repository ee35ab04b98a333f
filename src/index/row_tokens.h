#pragma once
// The tokens of a module's rows as the safe rules see them, made once and looked up by every
// pass that follows. A pass changes few rows (a marked row is a comment), so each asks for a
// row together with the row as it stands: the tokens made are used only while the row is still
// the same bytes, and any other row is tokenised afresh.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "index/file_words.h"
#include "index/word_ids.h"
#include "text/codepage.h"

namespace scourvane {

// What RowTokens made of a text, kept small until the same text is tokenised again: a
// module's rows are made once, while intake copies it, and taken up again when its passes run.
struct PackedRowTokens {
    static constexpr std::uint16_t kRowEnd = 0xFFFF;
    std::vector<std::uint16_t> rowLengths;  // per row, its bytes before the line break
    std::vector<std::uint16_t> tokens;      // word << 1 | literal, each row's closed by kRowEnd
    std::string words;                      // every word, in the order of their numbers
    std::vector<std::uint32_t> wordEnds;    // per word, where it ends in `words`
};

class RowTokens {
  public:
    struct Token {
        std::uint32_t word;  // in words()
        bool literal;        // the text of a string literal, not an identifier
    };

    // Every row of `text` (kept by this object).
    explicit RowTokens(std::string text);
    // The rows of `text`, taking the tokens of row r from `packed` (made from `source`, in the
    // same code page) when sourceRows[r] names a row of the source that holds the very bytes of
    // row r; any other row is tokenised afresh. The rows named must follow the source's order
    // (a row named before one named earlier, or past the source's end, counts as none).
    // The tokens are those of tokenising `text` afresh; the source's words keep their numbers,
    // and words met only in rows tokenised afresh are numbered after them.
    RowTokens(std::string text, std::string_view source, const PackedRowTokens& packed,
              std::span<const std::uint32_t> sourceRows);

    const WordIds& words() const { return words_; }
    // How many rows were taken from packed tokens rather than tokenised afresh.
    std::size_t rowsTaken() const { return rowsTaken_; }
    // Whether `line` is row `row` as it was made.
    bool same(std::size_t row, std::string_view line) const {
        // Asked for every row a pass reads: compared inline, without a call to memcmp.
        return row < rows_.size() && sameWord(rows_[row], line);
    }
    std::span<const Token> tokens(std::size_t row) const {
        const std::size_t end = row + 1 < rowStart_.size() ? rowStart_[row + 1] : tokens_.size();
        return std::span<const Token>(tokens_).subspan(rowStart_[row], end - rowStart_[row]);
    }

    // The words of `text`, as fileWords counts them under the safe rules.
    FileWords fileWords(std::string_view text) const;
    // The words of its own text, as fileWords counts them under the safe rules, compacted.
    FileWords ownWords() const;
    // Its rows kept small; nothing when they do not fit (a row of 64 KiB or more, or more words
    // than 15 bits number, the last number kept for the end of a row).
    std::optional<PackedRowTokens> packed() const;

  private:
    const text::CodePage& cp_;
    std::string text_;
    std::vector<std::string_view> rows_;
    std::vector<std::size_t> rowStart_;  // per row, its first token
    std::vector<Token> tokens_;
    WordIds words_;
    std::size_t rowsTaken_ = 0;
};

}  // namespace scourvane
