#include "collect/keep_comment.h"

#include <vector>

#include "collect/line_zones.h"
#include "rules/identifiers.h"
#include "text/codepage.h"
#include "text/search.h"

namespace scourvane {

namespace {

// Folded, as the safe rules fold a line: ASCII letters in upper case, character by character.
constexpr std::string_view kKeepWord = "SCOURVANE:KEEP";

// Where the line's comment begins (its apostrophe or Rem), or npos.
std::size_t commentStart(const std::vector<Zone>& zones) {
    for (std::size_t i = 0; i < zones.size(); ++i)
        if (zones[i] == Zone::Comment) return i;
    return std::string_view::npos;
}

// The keep word in `text`, ASCII letters of either case, starting only where a character
// begins (a trail byte that looks like "s" starts nothing).
bool containsKeepWord(std::string_view text) {
    const text::CodePage& cp = text::activeCodePage();
    return text::contains(identifiers::folded(text, cp), kKeepWord, cp);
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
    const std::size_t first = text::firstNonBlank(line);
    // A comment begins with an apostrophe or "Rem"; a keep word holds a ":".
    if (first == std::string_view::npos || (line[first] != '\'' && line[first] != 'R'))
        return false;
    if (line.find(':') == std::string_view::npos) return false;
    const std::vector<Zone> zones = lineZones(line);
    return zones[first] == Zone::Comment && containsKeepWord(line.substr(first));
}

}  // namespace scourvane
