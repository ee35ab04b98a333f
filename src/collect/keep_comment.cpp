#include "collect/keep_comment.h"

#include <vector>

#include "collect/line_zones.h"
#include "text/codepage.h"

namespace scourvane {

namespace {

constexpr std::string_view kKeepWord = "scourvane:keep";

// Where the line's comment begins (its apostrophe or Rem), or npos.
std::size_t commentStart(const std::vector<Zone>& zones) {
    for (std::size_t i = 0; i < zones.size(); ++i)
        if (zones[i] == Zone::Comment) return i;
    return std::string_view::npos;
}

char lowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// The keep word in `text`, ASCII letters of either case, starting only where a character
// begins (a trail byte that looks like "s" starts nothing).
bool containsKeepWord(std::string_view text) {
    const text::CodePage& cp = text::activeCodePage();
    for (std::size_t i = 0; i + kKeepWord.size() <= text.size(); i += cp.charLength(text, i)) {
        std::size_t k = 0;
        while (k < kKeepWord.size() && lowerAscii(text[i + k]) == kKeepWord[k]) ++k;
        if (k == kKeepWord.size()) return true;
    }
    return false;
}

}  // namespace

bool holdsKeepComment(std::string_view line) {
    // Cheap refusal first: most lines hold no ":" at all.
    if (line.find(':') == std::string_view::npos) return false;
    const std::vector<Zone> zones = lineZones(line);
    const std::size_t start = commentStart(zones);
    return start != std::string_view::npos && containsKeepWord(line.substr(start));
}

bool isKeepCommentLine(std::string_view line) {
    const std::size_t first = line.find_first_not_of(" \t");
    if (first == std::string_view::npos || line.find(':') == std::string_view::npos) return false;
    const std::vector<Zone> zones = lineZones(line);
    return zones[first] == Zone::Comment && containsKeepWord(line.substr(first));
}

}  // namespace scourvane
