#include "text/search.h"

#include <cstring>

namespace scourvane::text {

std::size_t findBytes(std::string_view hay, std::string_view needle, std::size_t from) {
    if (from > hay.size()) return npos;
    if (needle.empty()) return from;
    if (needle.size() > hay.size() - from) return npos;
    if (needle.size() == 1) {
        const void* at = std::memchr(hay.data() + from, needle[0], hay.size() - from);
        return at ? static_cast<std::size_t>(static_cast<const char*>(at) - hay.data()) : npos;
    }
    // Scan for the needle's first byte other than a space: keywords padded with spaces would
    // stop the scan at every space of the line.
    std::size_t anchor = 0;
    while (anchor + 1 < needle.size() && needle[anchor] == ' ') ++anchor;
    const char* const base = hay.data();
    const char* const last = base + hay.size() - (needle.size() - anchor);  // last anchor place
    const char* at = base + from + anchor;
    while (at <= last) {
        at = static_cast<const char*>(
            std::memchr(at, needle[anchor], static_cast<std::size_t>(last - at) + 1));
        if (!at) return npos;
        // Compared in place: most candidates differ in a byte or two, and the needles are
        // short, where a call to memcmp costs more than the comparison.
        const char* start = at - anchor;
        std::size_t k = 0;
        while (k < needle.size() && start[k] == needle[k]) ++k;
        if (k == needle.size()) return static_cast<std::size_t>(start - base);
        ++at;
    }
    return npos;
}

std::size_t find(std::string_view hay, std::string_view needle, std::size_t from,
                 const CodePage& cp) {
    if (from > hay.size()) return npos;
    if (needle.empty()) return from;
    if (!cp.isDoubleByte()) return findBytes(hay, needle, from);
    // `cursor` walks character starts; a candidate counts only if the walk lands on it.
    std::size_t cursor = from;
    std::size_t pos = findBytes(hay, needle, from);
    while (pos != npos) {
        while (cursor < pos) cursor += cp.charLength(hay, cursor);
        if (cursor == pos) return pos;
        pos = findBytes(hay, needle, pos + 1);
    }
    return npos;
}

std::size_t rfind(std::string_view hay, std::string_view needle, const CodePage& cp) {
    if (needle.empty()) return hay.size();
    std::size_t last = npos;
    for (std::size_t pos = find(hay, needle, 0, cp); pos != npos;
         pos = find(hay, needle, pos + cp.charLength(hay, pos), cp)) {
        last = pos;
    }
    return last;
}

std::size_t findLastOf(std::string_view s, std::string_view set, const CodePage& cp) {
    std::size_t last = npos;
    for (std::size_t i = 0; i < s.size(); i += cp.charLength(s, i)) {
        if (set.find(s[i]) != std::string_view::npos && cp.charLength(s, i) == 1) last = i;
    }
    return last;
}

bool isCharStart(std::string_view s, std::size_t i, const CodePage& cp) {
    if (i > s.size()) return false;
    if (!cp.isDoubleByte()) return true;
    std::size_t cursor = 0;
    while (cursor < i) cursor += cp.charLength(s, cursor);
    return cursor == i;
}

bool endsWith(std::string_view s, std::string_view suffix, const CodePage& cp) {
    if (suffix.size() > s.size()) return false;
    // Most lines asked about end otherwise: their last byte tells.
    if (!suffix.empty() && s.back() != suffix.back()) return false;
    std::size_t at = s.size() - suffix.size();
    return s.substr(at) == suffix && isCharStart(s, at, cp);
}

std::string replaceAll(std::string_view s, std::string_view from, std::string_view to,
                       const CodePage& cp) {
    if (from.empty()) return std::string(s);
    std::string out;
    out.reserve(s.size());
    std::size_t done = 0;  // end of the last match
    std::size_t next = 0;  // the first character start at or after it
    for (std::size_t pos = find(s, from, 0, cp); pos != npos; pos = find(s, from, next, cp)) {
        out.append(s, done, pos - done);
        out += to;
        done = pos + from.size();
        // A match whose last byte is a lead byte ends inside a character.
        for (next = pos; next < done;) next += cp.charLength(s, next);
    }
    out.append(s, done);
    return out;
}

std::string toUpper(std::string_view s, const CodePage& cp) {
    std::string out(s);
    for (std::size_t i = 0; i < out.size();) {
        std::size_t len = cp.charLength(out, i);
        unsigned char c = static_cast<unsigned char>(out[i]);
        if (len == 1 && c >= 'a' && c <= 'z') {
            out[i] = static_cast<char>(c - 'a' + 'A');
        } else if (len == 2 && cp.number() == 932 && c == 0x82) {
            // Full-width a..z (82 81..82 9A) to A..Z (82 60..82 79).
            unsigned char t = static_cast<unsigned char>(out[i + 1]);
            if (t >= 0x81 && t <= 0x9A) out[i + 1] = static_cast<char>(t - 0x21);
        }
        i += len;
    }
    return out;
}

int compareIgnoringCase(std::string_view a, std::string_view b, const CodePage& cp) {
    auto fold = [](unsigned char c, bool start) -> unsigned char {
        return (start && c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c - 'A' + 'a') : c;
    };
    std::size_t nextA = 0, nextB = 0;  // next character start in each string
    std::size_t n = a.size() < b.size() ? a.size() : b.size();
    for (std::size_t i = 0; i < n; ++i) {
        bool startA = i == nextA, startB = i == nextB;
        if (startA) nextA = i + cp.charLength(a, i);
        if (startB) nextB = i + cp.charLength(b, i);
        unsigned char ca = fold(static_cast<unsigned char>(a[i]), startA);
        unsigned char cb = fold(static_cast<unsigned char>(b[i]), startB);
        if (ca != cb) return ca < cb ? -1 : 1;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

}  // namespace scourvane::text
