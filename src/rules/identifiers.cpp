#include "rules/identifiers.h"

#include <cstdint>
#include <cstring>

namespace scourvane::identifiers {

namespace {

constexpr std::uint64_t kEveryByte = 0x0101010101010101ull;
constexpr std::uint64_t kHighBits = 0x8080808080808080ull;

// Eight bytes below 0x80 with their lower-case letters upper-cased: for each byte, a high bit
// where it is at least 'a' and not above 'z' (no sum carries into the next byte), moved to the
// 0x20 bit that tells the cases apart.
std::uint64_t foldAscii8(std::uint64_t w) {
    const std::uint64_t fromA = w + kEveryByte * (0x80 - 'a');
    const std::uint64_t pastZ = w + kEveryByte * (0x80 - 'z' - 1);
    return w ^ (((fromA & ~pastZ) & kHighBits) >> 2);
}

}  // namespace

void foldInPlace(std::string& s, const text::CodePage& cp) {
    char* p = s.data();
    const std::size_t n = s.size();
    std::size_t i = 0;
    while (i < n) {
        // Runs of single-byte characters eight at a time: most of a module is ASCII.
        while (i + 8 <= n) {
            std::uint64_t w;
            std::memcpy(&w, p + i, 8);
            if (w & kHighBits) break;
            w = foldAscii8(w);
            std::memcpy(p + i, &w, 8);
            i += 8;
        }
        if (i >= n) break;
        const auto c = static_cast<unsigned char>(p[i]);
        if (c < 0x80) {
            if (c >= 'a' && c <= 'z') p[i] = static_cast<char>(c - 'a' + 'A');
            ++i;
        } else {
            i += cp.charLength(s, i);
        }
    }
}

std::string folded(std::string_view s, const text::CodePage& cp) {
    std::string out(s);
    foldInPlace(out, cp);
    return out;
}

std::string nameKey(std::string_view name, const text::CodePage& cp) {
    if (!name.empty() && std::string_view("$%&!#@").find(name.back()) != std::string_view::npos)
        name.remove_suffix(1);
    if (name.empty()) return "";
    const auto first = static_cast<unsigned char>(name[0]);
    if (first >= '0' && first <= '9') return "";
    for (std::size_t i = 0; i < name.size();) {
        const auto c = static_cast<unsigned char>(name[i]);
        if (c < 0x80) {
            if (!isAsciiIdentifierByte(c)) return "";
            ++i;
        } else {
            i += cp.charLength(name, i);
        }
    }
    return folded(name, cp);
}

}  // namespace scourvane::identifiers
