#include "usage/procedure_bounds.h"

#include <array>

#include "text/search.h"

namespace scourvane {

namespace {

constexpr std::array<std::string_view, 7> kHeaderKeywords = {
    " Private Sub ",
    " Public Sub ",
    " Private Function ",
    " Public Function ",
    " Private Property ",
    " Public Property ",
    " Sub ",
};

constexpr std::array<std::string_view, 3> kEndKeywords = {
    " End Sub ",
    " End Function ",
    " End Property ",
};

// Position of the first keyword of the list (tried in order) that occurs in p, or npos.
template <std::size_t N>
std::size_t firstKeyword(std::string_view p, const std::array<std::string_view, N>& keywords) {
    for (std::string_view k : keywords) {
        std::size_t at = text::find(p, k);
        if (at != text::npos) return at;
    }
    return text::npos;
}

bool inComment(std::string_view p, std::size_t keyword) {
    const std::size_t apostrophe = text::find(p, "'");
    return apostrophe != text::npos && apostrophe < keyword;
}

// The first "&", "+" or double quote from the keyword on decides: a quote means the keyword
// seems to stand inside a string. Only asked when p holds a double quote somewhere.
bool quoteGuardRejects(std::string_view p, std::size_t keyword) {
    const text::CodePage& cp = text::activeCodePage();
    for (std::size_t i = keyword; i < p.size(); i += cp.charLength(p, i)) {
        if (cp.charLength(p, i) != 1) continue;
        if (p[i] == '&' || p[i] == '+') return false;
        if (p[i] == '"') return true;
    }
    return false;
}

bool keywordRejected(std::string_view p, std::size_t keyword) {
    if (inComment(p, keyword)) return true;
    return text::contains(p, "\"") && quoteGuardRejects(p, keyword);
}

}  // namespace

text::Bytes procedureHeaderName(std::string_view line) {
    // Every header keyword holds one of these words, which the padding cannot supply.
    if (!text::containsBytes(line, "Sub") && !text::containsBytes(line, "Function") &&
        !text::containsBytes(line, "Property"))
        return {};
    const std::string p = text::padded(line);
    const std::size_t keyword = firstKeyword(p, kHeaderKeywords);
    if (keyword == text::npos || keywordRejected(p, keyword)) return {};
    // The first "(" of the whole line, not the first after the keyword.
    const std::size_t paren = text::find(p, "(");
    if (paren == text::npos) return {};
    const std::string_view before = std::string_view(p).substr(0, paren);
    const std::size_t space = text::findLastOf(before, " ");  // p begins with a space
    return text::Bytes(before.substr(space + 1));
}

bool isProcedureEnd(std::string_view line) {
    // Every end keyword holds "End " and then "Sub", "Function" or "Property": most lines that
    // hold "End " end an If, a With or a Select, and are turned away here.
    bool mayEnd = false;
    for (std::size_t at = text::findBytes(line, "End "); at != text::npos && !mayEnd;
         at = text::findBytes(line, "End ", at + 1)) {
        const std::string_view rest = line.substr(at + 4);
        mayEnd = rest.starts_with("Sub") || rest.starts_with("Function") ||
                 rest.starts_with("Property");
    }
    if (!mayEnd) return false;
    const std::string p = text::padded(line);
    const std::size_t keyword = firstKeyword(p, kEndKeywords);
    return keyword != text::npos && !keywordRejected(p, keyword);
}

}  // namespace scourvane
