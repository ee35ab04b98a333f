#include "index/row_tokens.h"

#include "rules/identifiers.h"
#include "text/lines.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace scourvane {

namespace {

#if defined(__SSE2__)
// The bytes of 16 at p that are in lo..hi, as bits.
inline std::uint64_t inRange(__m128i block, char lo, char hi) {
    // Bytes compared as signed: ranges of ASCII only.
    const __m128i above = _mm_cmpgt_epi8(block, _mm_set1_epi8(static_cast<char>(lo - 1)));
    const __m128i below = _mm_cmplt_epi8(block, _mm_set1_epi8(static_cast<char>(hi + 1)));
    return static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_and_si128(above, below)));
}
#endif

// The words of a row of plain code, as forEachIdentifier gives them (no string literal, comment,
// statement separator, lower-case letter or byte outside ASCII in it), from a folded row shorter
// than 64 bytes with at least 64 readable bytes from its start. Sixteen bytes at a time: the
// words are the runs of identifier bytes. False, having given nothing, for any other row.
template <class Each>
bool forEachPlainWord(std::string_view row, Each&& each) {
#if defined(__SSE2__)
    const std::size_t n = row.size();
    if (n >= 64) return false;
    std::uint64_t word = 0, odd = 0;
    for (std::size_t at = 0; at < n; at += 16) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row.data() + at));
        const std::uint64_t identifier = inRange(block, 'A', 'Z') | inRange(block, '0', '9') |
                                         static_cast<std::uint32_t>(_mm_movemask_epi8(
                                             _mm_cmpeq_epi8(block, _mm_set1_epi8('_'))));
        const auto special = static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_or_si128(
            _mm_or_si128(_mm_cmpeq_epi8(block, _mm_set1_epi8('"')),
                         _mm_cmpeq_epi8(block, _mm_set1_epi8('\''))),
            _mm_or_si128(_mm_cmpeq_epi8(block, _mm_set1_epi8(':')), block))));  // or high bit
        word |= identifier << at;
        odd |= (special | inRange(block, 'a', 'z')) << at;
    }
    const std::uint64_t inRow = (std::uint64_t{1} << n) - 1;
    if (odd & inRow) return false;
    word &= inRow;
    // A Rem statement: the first thing of the row is the word REM (folded), and the rest is
    // comment.
    std::size_t first = 0;
    while (first < n && (row[first] == ' ' || row[first] == '\t')) ++first;
    if (first + 3 <= n && row.compare(first, 3, "REM") == 0 &&
        (first + 3 == n || !((word >> (first + 3)) & 1)))
        return true;
    for (std::uint64_t starts = word & ~(word << 1); starts != 0; starts &= starts - 1) {
        const auto start = static_cast<unsigned>(__builtin_ctzll(starts));
        // Bit n of ~word is set: every word ends in the row.
        const std::uint64_t after = ~word & ~((std::uint64_t{1} << start) - 1);
        const auto end = static_cast<unsigned>(__builtin_ctzll(after));
        const auto c = static_cast<unsigned char>(row[start]);
        if (c >= '0' && c <= '9') continue;  // a number
        each(row.substr(start, end - start));
    }
    return true;
#else
    (void)row;
    (void)each;
    return false;
#endif
}

}  // namespace

RowTokens::RowTokens(std::string text) : cp_(text::activeCodePage()), text_(std::move(text)) {
    // Tokenised from a folded copy, whose rows lie at the same places: folding the whole text
    // at once costs less than folding token by token.
    std::string folded = text_;
    identifiers::foldInPlace(folded, cp_);
    // About one token in six bytes, one row in thirty, and one distinct word in sixty or more:
    // few regrowths.
    words_.reserve(text_.size() / 64);
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
        // Most rows are plain code, read sixteen bytes at a time when their bytes may be.
        const bool plain =
            foldedRow.data() + 64 <= folded.data() + folded.size() &&
            forEachPlainWord(foldedRow, [&](std::string_view token) {
                tokens_.push_back({words_.add(token), false});
            });
        if (!plain)
            forEachIdentifier(foldedRow, cp_, true, [&](std::string_view token, bool literal) {
                tokens_.push_back({words_.add(token), literal});
            });
    }
}

RowTokens::RowTokens(std::string text, std::string_view source, const PackedRowTokens& packed,
                     std::span<const std::uint32_t> sourceRows)
    : cp_(text::activeCodePage()), text_(std::move(text)) {
    words_.reserve(packed.wordEnds.size());
    std::uint32_t from = 0;
    for (const std::uint32_t end : packed.wordEnds) {
        words_.add(std::string_view(packed.words).substr(from, end - from));
        from = end;
    }
    // The source's rows and their tokens, walked in step as the rows named go forward. A row
    // ends before its line break: a CR LF pair, or an LF alone.
    const std::size_t sourceCount = packed.rowLengths.size();
    std::size_t sourceRow = 0;    // the row the walk stands at
    std::size_t sourceStart = 0;  // where its bytes begin
    std::size_t first = 0;        // where its tokens begin
    auto pastSourceRow = [&](std::size_t rowEnd) {
        const std::size_t end = sourceStart + packed.rowLengths[sourceRow];
        sourceStart = end + (end < source.size() && source[end] == '\r' ? 2 : 1);
        ++sourceRow;
        first = rowEnd + 1;
    };
    auto rowEnd = [&] {
        std::size_t k = first;
        while (k < packed.tokens.size() && packed.tokens[k] != PackedRowTokens::kRowEnd) ++k;
        return k;
    };
    tokens_.reserve(packed.tokens.size());
    rows_.reserve(sourceRows.size());
    rowStart_.reserve(sourceRows.size());
    std::string scratch;
    text::LineReader reader(text_);
    for (std::size_t r = 0; !reader.atEnd(); ++r) {
        const std::string_view row = reader.readLine();
        rows_.push_back(row);
        rowStart_.push_back(tokens_.size());
        const std::size_t s = r < sourceRows.size() ? sourceRows[r] : sourceCount;
        if (s < sourceCount && s >= sourceRow) {
            while (sourceRow < s) pastSourceRow(rowEnd());
            const std::size_t length = packed.rowLengths[s];
            if (sourceStart + length <= source.size() &&
                sameWord(source.substr(sourceStart, length), row)) {
                ++rowsTaken_;
                const std::size_t last = rowEnd();
                for (std::size_t k = first; k < last; ++k)
                    tokens_.push_back({static_cast<std::uint32_t>(packed.tokens[k] >> 1),
                                       (packed.tokens[k] & 1) != 0});
                pastSourceRow(last);
                continue;
            }
        }
        forEachIdentifier(
            row, cp_, true,
            [&](std::string_view token, bool literal) {
                tokens_.push_back({words_.add(token), literal});
            },
            scratch);
    }
}

namespace {

// Per word number, the rows that hold it, each row counted once.
class RowCounts {
  public:
    explicit RowCounts(std::size_t words) : seen_(words, 0), lines_(words, 0) {}

    void met(std::uint32_t id, std::size_t row) {
        if (id >= seen_.size()) {
            seen_.resize(id + 1, 0);
            lines_.resize(id + 1, 0);
        }
        if (seen_[id] == row + 1) return;
        seen_[id] = row + 1;
        ++lines_[id];
    }

    // The words counted, in the order of their numbers, holding only their own text. Empty
    // tokens (an empty string literal) are no word.
    template <class WordOf>
    FileWords words(WordOf&& wordOf) const {
        FileWords out;
        for (std::uint32_t id = 0; id < lines_.size(); ++id) {
            if (lines_[id] == 0) continue;
            const std::string_view word = wordOf(id);
            if (word.empty()) continue;
            out.codeWords.push_back({{out.content.size(), word.size()}, lines_[id]});
            out.content += word;
        }
        return out;
    }

  private:
    std::vector<std::uint64_t> seen_;  // per word: the last row (+ 1) it was counted on
    std::vector<std::uint32_t> lines_;
};

}  // namespace

FileWords RowTokens::fileWords(std::string_view text) const {
    // Words met only in rows tokenised afresh get numbers after the module's own.
    WordIds fresh;
    const std::size_t own = words_.size();
    RowCounts counts(own);
    std::string folded;
    text::LineReader reader(text);
    for (std::size_t r = 0; !reader.atEnd(); ++r) {
        const std::string_view row = reader.readLine();
        if (same(r, row)) {
            for (const Token& t : tokens(r)) counts.met(t.word, r);
            continue;
        }
        forEachIdentifier(
            row, cp_, true,
            [&](std::string_view token, bool) {
                if (token.empty()) return;
                const std::uint32_t id = words_.find(token);
                counts.met(
                    id != WordIds::kNone ? id : static_cast<std::uint32_t>(own + fresh.add(token)),
                    r);
            },
            folded);
    }
    return counts.words([&](std::uint32_t id) {
        return id < own ? words_.word(id) : fresh.word(static_cast<std::uint32_t>(id - own));
    });
}

FileWords RowTokens::ownWords() const {
    RowCounts counts(words_.size());
    for (std::size_t r = 0; r < rows_.size(); ++r)
        for (const Token& t : tokens(r)) counts.met(t.word, r);
    return counts.words([&](std::uint32_t id) { return words_.word(id); });
}

std::optional<PackedRowTokens> RowTokens::packed() const {
    if (words_.size() > PackedRowTokens::kRowEnd >> 1) return std::nullopt;
    PackedRowTokens out;
    out.rowLengths.reserve(rows_.size());
    for (const std::string_view row : rows_) {
        if (row.size() > 0xFFFF) return std::nullopt;
        out.rowLengths.push_back(static_cast<std::uint16_t>(row.size()));
    }
    out.tokens.reserve(tokens_.size() + rows_.size());
    for (std::size_t r = 0; r < rows_.size(); ++r) {
        for (const Token& t : tokens(r))
            out.tokens.push_back(static_cast<std::uint16_t>(t.word << 1 | (t.literal ? 1 : 0)));
        out.tokens.push_back(PackedRowTokens::kRowEnd);
    }
    out.wordEnds.reserve(words_.size());
    for (std::uint32_t id = 0; id < words_.size(); ++id) {
        out.words += words_.word(id);
        out.wordEnds.push_back(static_cast<std::uint32_t>(out.words.size()));
    }
    return out;
}

}  // namespace scourvane
