#pragma once
// Searching byte strings in the active code page. A match counts only where a character
// begins: in a double-byte code page the trail byte of a character may look like "\", "_",
// "'" or a letter, and must never be taken for one. Every search of the engine goes through
// these functions.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "text/codepage.h"

namespace scourvane::text {

inline constexpr std::size_t npos = std::string_view::npos;

// Position of the first occurrence of needle in hay at or after `from`, byte by byte, whether
// or not a character begins there; npos when there is none.
std::size_t findBytes(std::string_view hay, std::string_view needle, std::size_t from = 0);

// Position of the first byte that is neither a space nor a tab, or npos. (A plain loop: the
// standard find_first_not_of searches the set for every byte.)
inline std::size_t firstNonBlank(std::string_view s) {
    for (std::size_t i = 0; i < s.size(); ++i)
        if (s[i] != ' ' && s[i] != '\t') return i;
    return std::string_view::npos;
}

inline bool containsBytes(std::string_view hay, std::string_view needle) {
    return findBytes(hay, needle) != npos;
}

// Where `part`, a view of `text`, begins in it; npos when `part` lies elsewhere (a copy, or
// another text).
inline std::size_t offsetWithin(std::string_view text, std::string_view part) {
    const auto begin = reinterpret_cast<std::uintptr_t>(text.data());
    const auto at = reinterpret_cast<std::uintptr_t>(part.data());
    if (text.empty() || at < begin || at + part.size() > begin + text.size()) return npos;
    return static_cast<std::size_t>(at - begin);
}

// Whether rows of a text hold a needle (byte for byte, as containsBytes), asked row after row
// going forward: one search finds the next match past the rows asked, where asking each row
// would make a call per row. A row that is not a view of the text is searched alone.
class ForwardSearch {
  public:
    ForwardSearch(std::string_view text, std::string_view needle)
        : text_(text), needle_(needle), hit_(findBytes(text, needle)) {}

    // `row` must not begin before a row asked earlier.
    bool holds(std::string_view row) {
        const std::size_t start = offsetWithin(text_, row);
        if (start == npos) return containsBytes(row, needle_);
        // A match that began before the row counts for no row: the next one from here.
        if (hit_ != npos && hit_ < start) hit_ = findBytes(text_, needle_, start);
        return hit_ != npos && hit_ + needle_.size() <= start + row.size();
    }

  private:
    std::string_view text_;
    std::string_view needle_;
    std::size_t hit_;  // the first match at or after the last row asked, or npos
};

// Position of the first match of needle in hay at or after `from` (itself a character start)
// that begins a character; npos when there is none. An empty needle matches at `from`.
std::size_t find(std::string_view hay, std::string_view needle, std::size_t from = 0,
                 const CodePage& cp = activeCodePage());

inline bool contains(std::string_view hay, std::string_view needle,
                     const CodePage& cp = activeCodePage()) {
    return find(hay, needle, 0, cp) != npos;
}

// Position of the last match that begins a character; npos when there is none.
std::size_t rfind(std::string_view hay, std::string_view needle,
                  const CodePage& cp = activeCodePage());

// Position of the last character of s that is one of the single-byte characters in `set`,
// scanning from the end; never stops on a trail byte. npos when there is none.
std::size_t findLastOf(std::string_view s, std::string_view set,
                       const CodePage& cp = activeCodePage());

// True when a character begins at byte i of s (i == s.size() counts as a boundary).
bool isCharStart(std::string_view s, std::size_t i, const CodePage& cp = activeCodePage());

inline bool startsWith(std::string_view s, std::string_view prefix) {
    return s.substr(0, prefix.size()) == prefix;
}

// True when s ends with suffix and the suffix begins a character.
bool endsWith(std::string_view s, std::string_view suffix, const CodePage& cp = activeCodePage());

// Every match of `from` (non-overlapping, left to right, at character starts) replaced by `to`.
std::string replaceAll(std::string_view s, std::string_view from, std::string_view to,
                       const CodePage& cp = activeCodePage());

// ASCII letters upper-cased; in code page 932 also the full-width Latin letters.
std::string toUpper(std::string_view s, const CodePage& cp = activeCodePage());

// Order ignoring case: ASCII letters that begin a character are folded, then bytes compared.
// Returns <0, 0 or >0.
int compareIgnoringCase(std::string_view a, std::string_view b,
                        const CodePage& cp = activeCodePage());

// Text padded with one space before and one after.
inline std::string padded(std::string_view s) {
    std::string p;
    p.reserve(s.size() + 2);
    p += ' ';
    p += s;
    p += ' ';
    return p;
}

}  // namespace scourvane::text
