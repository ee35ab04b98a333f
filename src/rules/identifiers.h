#pragma once
// The identifiers of a line's code, for the safe rules: a line uses a name when the name stands
// in its code as a whole identifier, letter case ignored, whatever stands around it. Code ends
// at an apostrophe outside a string literal or at a Rem statement; string literals are no code,
// but their text may be asked for too (late binding names a member in a string).
#include <algorithm>
#include <string>
#include <string_view>

#include "text/codepage.h"

namespace scourvane {

namespace identifiers {

inline bool isAsciiIdentifierByte(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
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
// given once per occurrence; the view is valid during the call only.
template <class Each>
void forEachIdentifier(std::string_view line, const text::CodePage& cp, bool literals,
                       Each&& each) {
    std::string buffer;
    auto give = [&](std::size_t from, std::size_t to, bool literal) {
        const std::string_view token = line.substr(from, to - from);
        // Only single-byte letters fold: a trail byte in a..z is part of a character.
        bool lower = false;
        for (std::size_t k = 0; k < token.size() && !lower;) {
            const auto b = static_cast<unsigned char>(token[k]);
            lower = b >= 'a' && b <= 'z';
            k += b < 0x80 ? 1 : cp.charLength(token, k);
        }
        if (!lower) {
            each(token, literal);
            return;
        }
        buffer = identifiers::folded(token, cp);
        each(std::string_view(buffer), literal);
    };
    bool statementStart = true;
    const std::size_t n = line.size();
    for (std::size_t i = 0; i < n;) {
        const auto c = static_cast<unsigned char>(line[i]);
        if (c == '"') {
            std::size_t j = i + 1;
            while (j < n) {
                if (line[j] == '"') {
                    if (j + 1 < n && line[j + 1] == '"') {
                        j += 2;
                        continue;
                    }
                    break;
                }
                j += static_cast<unsigned char>(line[j]) < 0x80 ? 1 : cp.charLength(line, j);
            }
            if (literals) give(i + 1, std::min(j, n), true);
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
        if (c == ' ' || c == '\t') {
            ++i;
            continue;
        }
        const bool startsIdentifier = c >= 0x80 || c == '_' || (c >= 'A' && c <= 'Z') ||
                                      (c >= 'a' && c <= 'z');
        if (startsIdentifier || (c >= '0' && c <= '9')) {
            std::size_t j = i;
            while (j < n) {
                const auto d = static_cast<unsigned char>(line[j]);
                if (d < 0x80) {
                    if (!identifiers::isAsciiIdentifierByte(d)) break;
                    ++j;
                } else {
                    j += cp.charLength(line, j);
                }
            }
            j = std::min(j, n);
            if (startsIdentifier) {
                if (statementStart && j - i == 3 && (line[i] | 0x20) == 'r' &&
                    (line[i + 1] | 0x20) == 'e' && (line[i + 2] | 0x20) == 'm')
                    return;  // a Rem statement: the rest is comment
                give(i, j, false);
            }
            i = j;
            statementStart = false;
            continue;
        }
        ++i;
        statementStart = false;
    }
}

}  // namespace scourvane
