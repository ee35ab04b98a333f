#include "rules/identifiers.h"

namespace scourvane::identifiers {

void foldInPlace(std::string& s, const text::CodePage& cp) {
    for (std::size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        if (c < 0x80) {
            if (c >= 'a' && c <= 'z') s[i] = static_cast<char>(c - 'a' + 'A');
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
