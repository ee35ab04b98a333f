#include "collect/normaliser.h"

#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "collect/keyword_table.h"
#include "collect/line_zones.h"
#include "text/lines.h"
#include "text/search.h"

namespace scourvane {

namespace {

constexpr std::string_view kSeparator = ", ";

bool isWordByte(char c) {
    const auto u = static_cast<unsigned char>(c);
    return (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || (u >= '0' && u <= '9') || u == '_' ||
           u >= 0x80;
}

// The keyword row found at `at` of the padded line begins a word of code.
bool keywordBeginsWord(std::string_view padded, std::size_t at, const std::vector<Zone>& zones) {
    // A double-byte character before the keyword is part of an identifier.
    if (!text::isCharStart(padded, at - 1) || isWordByte(padded[at - 1])) return false;
    const Zone zone = zones[at - 1];  // the line starts one byte later than the padded line
    return zone == Zone::Code || zone == Zone::Nested;
}

// Every ", " the split would replace separates declarations at the top level of code.
bool separatorsAreTopLevel(std::string_view line, const std::vector<Zone>& zones) {
    for (std::size_t at = text::find(line, kSeparator); at != text::npos;
         at = text::find(line, kSeparator, at + kSeparator.size())) {
        if (zones[at] != Zone::Code) return false;
    }
    return true;
}

}  // namespace

Bytes rewriteModuleDim(std::string_view line) {
    static constexpr std::string_view kDim = "Dim ";
    static constexpr std::string_view kPrivate = "Private ";
    const std::vector<Zone> zones = lineZones(line);
    Bytes out;
    out.reserve(line.size() + 8);
    std::size_t done = 0;
    for (std::size_t at = text::find(line, kDim); at != text::npos;
         at = text::find(line, kDim, at + kDim.size())) {
        if (at > 0 && line[at - 1] != ' ') continue;
        if (zones[at] == Zone::String || zones[at] == Zone::Comment) continue;
        out.append(line, done, at - done);
        out += kPrivate;
        done = at + kDim.size();
    }
    out.append(line, done);
    return out;
}

bool stringCommaGuard(std::string_view textIn) {
    const std::string s = text::padded(textIn);
    const std::size_t comma = text::find(s, kSeparator);
    if (comma != text::npos) {
        const std::size_t open = text::find(s, " \"");
        if (open != text::npos && open < comma) {
            const std::size_t close = text::find(s, "\" ");
            if (close != text::npos && close > open) return true;
        }
    }
    for (std::string_view word : {"Dim ", "Const ", "Private ", "Public "})
        if (text::contains(s, word)) return false;
    return true;
}

bool parenthesisCommaGuard(std::string_view textIn) {
    const std::size_t comma = text::find(textIn, kSeparator);
    if (comma == text::npos) return false;
    const std::size_t open = text::find(textIn, "(");
    if (open == text::npos || open >= comma) return false;
    const std::size_t close = text::find(textIn, ")");
    return close != text::npos && close > open;
}

bool mayNeedNormalising(std::string_view line) {
    // Every row of the keyword table contains one of these words (byte for byte, so this finds
    // them even where a character-aware search would not: it only says "may"). Each is compared
    // only where its first letter stands.
    static constexpr std::string_view kWords[] = {"Private", "Public", "Property", "Function",
                                                  "Const",   "Type",   "Dim",      "Sub"};
    auto wordAt = [&](std::size_t i) {
        const char c = line[i];
        for (std::string_view w : kWords)
            if (w[0] == c && line.size() - i >= w.size() &&
                std::memcmp(line.data() + i, w.data(), w.size()) == 0)
                return true;
        return false;
    };
#if defined(__SSE2__)
    // Sixteen places at a time, each a candidate only where the first two letters of a word
    // stand: Pr, Pu, Fu, Co, Ty, Di or Su. The last block ends where the line does, overlapping
    // the one before it; no word starts at the line's last byte (each needs three).
    if (line.size() >= 17) {
        auto same = [](__m128i block, char c) { return _mm_cmpeq_epi8(block, _mm_set1_epi8(c)); };
        const std::size_t lastBlock = line.size() - 17;
        for (std::size_t at = 0;; at = std::min(at + 16, lastBlock)) {
            const __m128i first =
                _mm_loadu_si128(reinterpret_cast<const __m128i*>(line.data() + at));
            const __m128i second =
                _mm_loadu_si128(reinterpret_cast<const __m128i*>(line.data() + at + 1));
            const __m128i u = same(second, 'u');
            const __m128i pairs = _mm_or_si128(
                _mm_or_si128(_mm_and_si128(same(first, 'P'), _mm_or_si128(same(second, 'r'), u)),
                             _mm_and_si128(_mm_or_si128(same(first, 'F'), same(first, 'S')), u)),
                _mm_or_si128(_mm_and_si128(same(first, 'C'), same(second, 'o')),
                             _mm_or_si128(_mm_and_si128(same(first, 'T'), same(second, 'y')),
                                          _mm_and_si128(same(first, 'D'), same(second, 'i')))));
            for (auto hits = static_cast<unsigned>(_mm_movemask_epi8(pairs)); hits != 0;
                 hits &= hits - 1)
                if (wordAt(at + static_cast<std::size_t>(__builtin_ctz(hits)))) return true;
            if (at == lastBlock) return false;
        }
    }
#endif
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if ((c == 'P' || c == 'F' || c == 'C' || c == 'T' || c == 'D' || c == 'S') && wordAt(i))
            return true;
    }
    return false;
}

std::vector<Bytes> normaliseStatements(std::string_view lineIn, bool declarations, bool split) {
    // Without "Dim" the rewrite of module-level Dim changes nothing either.
    if (!mayNeedNormalising(lineIn)) return {Bytes(lineIn)};
    Bytes line = declarations ? rewriteModuleDim(lineIn) : Bytes(lineIn);
    // Statements are split at ", " only: a line without one stays as it is.
    if (!split || !text::containsBytes(line, kSeparator)) return {line};
    const std::string padded = text::padded(line);

    // The rows with the space that ends each keyword, and their first words, made once.
    struct Keywords {
        std::vector<Bytes> rows;
        std::vector<std::size_t> first;  // per row, its first word in `words`
        std::vector<std::string_view> words;
    };
    static const Keywords keywords = [] {
        Keywords out;
        for (const Bytes& row : listVarType()) {
            const std::string_view word = std::string_view(row).substr(0, row.find(' '));
            std::size_t k = 0;
            while (k < out.words.size() && out.words[k] != word) ++k;
            if (k == out.words.size()) out.words.push_back(word);
            out.rows.push_back(row + " ");
            out.first.push_back(k);
        }
        return out;
    }();
    // A row can only be found where its first word stands, byte for byte: each first word is
    // looked for once, at the first row that starts with it.
    enum : char { kUnknown, kAbsent, kPresent };
    std::vector<char> firstFound(keywords.words.size(), kUnknown);
    std::string_view keyword;
    std::size_t keywordAt = text::npos;
    for (std::size_t r = 0; r < keywords.rows.size(); ++r) {
        char& found = firstFound[keywords.first[r]];
        if (found == kUnknown)
            found = text::containsBytes(padded, keywords.words[keywords.first[r]]) ? kPresent
                                                                                   : kAbsent;
        if (found == kAbsent) continue;
        keyword = keywords.rows[r];
        keywordAt = text::find(padded, keyword);
        if (keywordAt == text::npos) continue;
        const std::size_t comment = text::find(padded, "'");
        if (comment != text::npos && comment < keywordAt) return {line};
        break;
    }
    if (keywordAt == text::npos) return {line};
    if (stringCommaGuard(padded) || parenthesisCommaGuard(padded)) return {line};

    // The guards judge the first ", " only and the keyword is found as plain text; a split
    // must not cut a string, a parameter list or a comment, nor start from half a word.
    const std::vector<Zone> zones = lineZones(line);
    if (!keywordBeginsWord(padded, keywordAt, zones) || !separatorsAreTopLevel(line, zones))
        return {line};

    std::vector<Bytes> statements;
    std::size_t start = 0;
    for (std::size_t at = text::find(line, kSeparator); at != text::npos;
         at = text::find(line, kSeparator, start)) {
        statements.push_back((statements.empty() ? Bytes() : Bytes(keyword)) +
                             line.substr(start, at - start));
        start = at + kSeparator.size();
    }
    statements.push_back((statements.empty() ? Bytes() : Bytes(keyword)) + line.substr(start));
    return statements;
}

Bytes normaliseDeclaration(std::string_view line, bool declarations) {
    const std::vector<Bytes> statements = normaliseStatements(line, declarations);
    Bytes out;
    for (std::size_t i = 0; i < statements.size(); ++i) {
        if (i > 0) out += text::kLineBreak;
        out += statements[i];
    }
    return out;
}

}  // namespace scourvane
