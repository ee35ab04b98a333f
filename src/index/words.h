#pragma once
// The words of a line as the occurrence test sees them, so that uses can be counted by looking
// words up instead of testing every pair of a line and a name.
//
// A word is a maximal run of bytes between two boundary bytes (" ", "(", ")", ".", ",") of the
// padded line, kept only when the boundary pair around it is one the occurrence test accepts.
// For a plain name (no boundary byte and no apostrophe in it) the test answers yes exactly when
// the line holds no "_Error" and either
//   - the name is a word that begins before the line's first apostrophe (a code word), or
//   - the name is a word after it (a comment word) and its first occurrence anywhere in the
//     line, even inside a longer word, still lies before the apostrophe.
// The second case is rare; callers settle it with the occurrence test itself. Names that are
// not plain are always settled with the occurrence test.
#include <array>
#include <cstddef>
#include <string_view>

#include "text/search.h"
#include "rules/occurrence.h"

namespace scourvane {

// True when the name can be counted through words.
bool isPlainName(std::string_view name);

// True for a byte an identifier may begin with: a letter, "_", or a byte of a character outside
// ASCII. The cross-module index keeps only words that begin so; other names (numbers,
// operators) are counted by scanning.
inline bool beginsIdentifier(char c) {
    const auto u = static_cast<unsigned char>(c);
    return u >= 0x80 || u == '_' || (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z');
}

inline bool isIndexedName(std::string_view name) {
    return isPlainName(name) && beginsIdentifier(name[0]);
}

namespace words {

// True when the line holds "_Error" (a character, never a trail byte): it then uses no name.
bool holdsError(std::string_view line);

enum class Where { Code, Comment };

// Boundary bytes; none of them is ever the lead byte of a character.
inline bool isBoundary(char c) {
    static constexpr auto table = [] {
        std::array<bool, 256> t{};
        for (unsigned char b : {' ', '(', ')', '.', ','}) t[b] = true;
        return t;
    }();
    return table[static_cast<unsigned char>(c)];
}

// Position of the line's first apostrophe (a character, never a trail byte), or npos.
std::size_t firstApostrophe(std::string_view line);

}  // namespace words

// Calls emit(word, Where) for every accepted word of the line that a plain name could be
// counted by, left to right. A word may be reported more than once. A comment word is left out
// unless its bytes also stand before the apostrophe: a plain name holds no apostrophe, so its
// first occurrence can only lie before the apostrophe if it lies wholly there.
template <class Emit>
void forEachWord(std::string_view line, Emit&& emit) {
    if (line.empty() || line[0] == '\'') return;
    // Most lines hold neither byte: then neither search needs to run.
    bool quote = false, underscore = false;
    for (char c : line) {
        quote |= c == '\'';
        underscore |= c == '_';
    }
    if (underscore && words::holdsError(line)) return;
    const std::size_t apostrophe = quote ? words::firstApostrophe(line) : text::npos;
    // Walk the padded line " " + line + " " without building it.
    char before = ' ';
    std::size_t start = 0;  // where the current run begins, in the line
    const std::size_t n = line.size();
    for (std::size_t i = 0; i <= n; ++i) {
        const char c = i < n ? line[i] : ' ';
        if (!words::isBoundary(c)) continue;
        if (i > start && isAcceptedBoundary(before, c)) {
            const std::string_view word = line.substr(start, i - start);
            if (start < apostrophe)
                emit(word, words::Where::Code);
            else if (text::containsBytes(line.substr(0, apostrophe), word))
                emit(word, words::Where::Comment);
        }
        before = c;
        start = i + 1;
    }
}

}  // namespace scourvane
