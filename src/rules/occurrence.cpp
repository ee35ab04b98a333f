#include "rules/occurrence.h"

#include "text/search.h"

namespace scourvane {

bool usesName(std::string_view line, std::string_view name) {
    if (name.empty()) return false;
    if (text::contains(line, "_Error")) return false;
    const std::size_t first = text::find(line, name);
    if (first == text::npos) return false;
    const std::size_t apostrophe = text::find(line, "'");
    if (apostrophe != text::npos && apostrophe < first) return false;

    // Every boundary character is single-byte ASCII below 0x40, which is never a trail byte, so
    // "x + name + y occurs at a character start" is the same as "name occurs at a character
    // start between x and y": one walk over the name's occurrences tries all 15 pairs at once.
    const std::string p = text::padded(line);
    for (std::size_t at = text::find(p, name, 1); at != text::npos;
         at = text::find(p, name, at + text::activeCodePage().charLength(p, at))) {
        if (at + name.size() >= p.size()) break;
        if (isAcceptedBoundary(p[at - 1], p[at + name.size()])) return true;
    }
    return false;
}

}  // namespace scourvane
