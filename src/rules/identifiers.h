#pragma once
// The identifiers of a line's code, for the safe rules: a line uses a name when the name stands
// in its code as a whole identifier, letter case ignored, whatever stands around it. Code ends
// at an apostrophe outside a string literal or at a Rem statement; string literals are no code,
// but their text may be asked for too (late binding names a member in a string).
#include <algorithm>
#include <array>
#include <string>
#include <string_view>
#include <utility>

#include "text/codepage.h"

namespace scourvane {

namespace identifiers {

constexpr bool isAsciiIdentifierByte(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}

// What a byte is to the tokeniser, one table lookup per byte.
enum ByteClass : unsigned char {
    kOther = 0,
    kIdentifier = 1,  // an ASCII letter, digit or "_"
    kLower = 2,       // with kIdentifier: a lower-case letter
    kHigh = 4,        // 0x80 and above: part of a character outside ASCII
};

inline unsigned char byteClass(unsigned char c) {
    static constexpr auto table = [] {
        std::array<unsigned char, 256> t{};
        for (int b = 0; b < 256; ++b) {
            const auto u = static_cast<unsigned char>(b);
            if (isAsciiIdentifierByte(u)) t[b] = kIdentifier;
            if (u >= 'a' && u <= 'z') t[b] |= kLower;
            if (u >= 0x80) t[b] = kHigh;
        }
        return t;
    }();
    return table[c];
}

// ASCII letters upper-cased, every other character kept (a trail byte is never touched).
void foldInPlace(std::string& s, const text::CodePage& cp);
std::string folded(std::string_view s, const text::CodePage& cp);

// The identifier a declared name stands for: the name without a type character at its end
// ("outdxf$" -> "outdxf"), folded; empty when what is left is no identifier.
std::string nameKey(std::string_view name, const text::CodePage& cp);

}  // namespace identifiers

// Calls each(token, literal) for every identifier of the line's code (literal false) and, when
// `literals`, for the text of every string literal (literal true), both folded. A token is
// given once per occurrence; the view is valid during the call only. `scratch` holds the folded
// copy of a token that has lower-case letters; a caller that keeps it from line to line saves
// its allocation.
template <class Each>
void forEachIdentifier(std::string_view line, const text::CodePage& cp, bool literals,
                       Each&& each, std::string& scratch) {
    // A token's folded form: the token itself when it has no lower-case letter. Only
    // single-byte letters fold: a trail byte in a..z is part of a character.
    auto give = [&](std::size_t from, std::size_t to, bool lower, bool literal) {
        const std::string_view token = line.substr(from, to - from);
        if (!lower) {
            each(token, literal);
            return;
        }
        scratch.assign(token);
        identifiers::foldInPlace(scratch, cp);
        each(std::string_view(scratch), literal);
    };
    bool statementStart = true;
    const std::size_t n = line.size();
    for (std::size_t i = 0; i < n;) {
        const auto c = static_cast<unsigned char>(line[i]);
        unsigned char k = identifiers::byteClass(c);
        if (k != identifiers::kOther) {
            // A word: an identifier, or a number when it starts with a digit. Its ASCII bytes
            // are taken in a tight loop; a character outside ASCII may take two bytes.
            const bool startsIdentifier = !(c >= '0' && c <= '9');
            std::size_t j = i;
            unsigned char seen = 0;
            for (;;) {
                while (k & identifiers::kIdentifier) {
                    seen |= k;
                    if (++j == n) break;
                    k = identifiers::byteClass(static_cast<unsigned char>(line[j]));
                }
                if (j >= n || k != identifiers::kHigh) break;
                seen |= k;
                j += cp.charLength(line, j);
                if (j >= n) break;
                k = identifiers::byteClass(static_cast<unsigned char>(line[j]));
            }
            const bool lower = (seen & identifiers::kLower) != 0;
            j = std::min(j, n);
            if (startsIdentifier) {
                if (statementStart && j - i == 3 && (line[i] | 0x20) == 'r' &&
                    (line[i + 1] | 0x20) == 'e' && (line[i + 2] | 0x20) == 'm')
                    return;  // a Rem statement: the rest is comment
                give(i, j, lower, false);
            }
            i = j;
            statementStart = false;
            continue;
        }
        if (c == ' ' || c == '\t') {
            ++i;
            continue;
        }
        if (c == '"') {
            std::size_t j = i + 1;
            bool lower = false;
            while (j < n) {
                const auto d = static_cast<unsigned char>(line[j]);
                if (d == '"') {
                    if (j + 1 < n && line[j + 1] == '"') {
                        j += 2;
                        continue;
                    }
                    break;
                }
                if (d < 0x80) {
                    lower = lower || (d >= 'a' && d <= 'z');
                    ++j;
                } else {
                    j += cp.charLength(line, j);
                }
            }
            if (literals) give(i + 1, std::min(j, n), lower, true);
            i = j + 1;
            statementStart = false;
            continue;
        }
        if (c == '\'') return;
        if (c == ':') {
            statementStart = true;
            ++i;
            continue;
        }
        ++i;
        statementStart = false;
    }
}

template <class Each>
void forEachIdentifier(std::string_view line, const text::CodePage& cp, bool literals,
                       Each&& each) {
    std::string scratch;
    forEachIdentifier(line, cp, literals, std::forward<Each>(each), scratch);
}

}  // namespace scourvane
