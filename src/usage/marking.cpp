#include "usage/marking.h"

#include <map>
#include <mutex>

#include "collect/line_zones.h"
#include "text/convert.h"
#include "text/search.h"

namespace scourvane {

namespace {

// Letters, digits, "_" and every character outside ASCII (VB6 takes Japanese identifiers).
bool isIdentifierChar(std::string_view s, std::size_t at, std::size_t length) {
    if (length != 1) return true;
    const unsigned char c = static_cast<unsigned char>(s[at]);
    return c >= 0x80 || c == '_' || (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') ||
           (c >= 'a' && c <= 'z');
}

std::string_view withoutIndent(std::string_view line) {
    const std::size_t start = text::firstNonBlank(line);
    return start == std::string_view::npos ? std::string_view() : line.substr(start);
}

// Whether a statement after a ":" of the line's code is an end line's statement
// (Public Sub Foo(): End Sub): such a header is a whole block on its own line.
bool endsOnItsOwnLine(std::string_view line) {
    if (line.find(':') == std::string_view::npos) return false;
    const std::vector<Zone> zones = lineZones(line);
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] != ':' || zones[i] != Zone::Code) continue;
        if (beginsWithAny(line.substr(i + 1), kEndPrefixes)) return true;
    }
    return false;
}

}  // namespace

text::Bytes unusedMarker() {
    // Converted once per code page: every pass of every module asks for it.
    static std::mutex mutex;
    static std::map<int, text::Bytes> made;
    const text::CodePage& cp = text::activeCodePage();
    std::lock_guard<std::mutex> lock(mutex);
    const auto it = made.find(cp.number());
    if (it != made.end()) return it->second;
    text::Bytes marker = text::fromUtf8("'<未使用> |", cp).value_or("'<?\?\?> |");
    made.emplace(cp.number(), marker);
    return marker;
}

bool beginsWithAny(std::string_view line, std::span<const std::string_view> prefixes) {
    line = withoutIndent(line);
    for (std::string_view p : prefixes)
        if (text::startsWith(line, p)) return true;
    return false;
}

bool opensProcedureOrType(std::string_view line) {
    static constexpr std::string_view kScopes[] = {"Public ", "Private ", "Friend ", "Global ",
                                                   "Static "};
    static constexpr std::string_view kKinds[] = {"Sub ", "Function ", "Property ", "Type "};
    line = withoutIndent(line);
    for (bool more = true; more;) {
        more = false;
        for (std::string_view scope : kScopes) {
            if (!text::startsWith(line, scope)) continue;
            line = withoutIndent(line.substr(scope.size()));
            more = true;
        }
    }
    return beginsWithAny(line, kKinds);
}

std::optional<std::size_t> blockEnd(std::span<const std::string_view> rows, std::size_t row) {
    for (std::size_t m = row + 1; m < rows.size(); ++m) {
        // An end line begins with "End", a header with a scope or a kind: most lines of a
        // block begin with neither letter.
        const std::string_view line = withoutIndent(rows[m]);
        if (line.empty()) continue;
        const char c = line[0];
        if (c != 'E' && c != 'P' && c != 'F' && c != 'G' && c != 'S' && c != 'T') continue;
        if (beginsWithAny(line, kEndPrefixes)) return m;
        if (opensProcedureOrType(line)) return std::nullopt;
    }
    return std::nullopt;
}

std::size_t markDeclaration(Rows& rows, std::size_t row,
                            std::span<const std::string_view> blockPrefixes,
                            std::string_view marker) {
    auto mark = [&](std::size_t m) {
        text::Bytes marked;
        marked.reserve(marker.size() + rows[m].size());
        marked += marker;
        marked += rows[m];
        rows.set(m, std::move(marked));
    };
    const bool opensBlock =
        beginsWithAny(rows[row], blockPrefixes) && !endsOnItsOwnLine(rows[row]);
    mark(row);
    if (!opensBlock) return row;
    for (std::size_t m = row + 1; m < rows.size(); ++m) {
        const bool ends = beginsWithAny(rows[m], kEndPrefixes);
        mark(m);
        if (ends) return m;
    }
    return rows.size() - 1;
}

text::Bytes demoted(std::string_view line) {
    constexpr std::string_view from = "Public ";
    constexpr std::string_view to = "Private ";
    const text::CodePage& cp = text::activeCodePage();
    text::Bytes out;
    out.reserve(line.size() + 8);
    bool inString = false, inComment = false, afterWord = false;
    for (std::size_t i = 0; i < line.size();) {
        const std::size_t length = cp.charLength(line, i);
        if (!inString && !afterWord && line.substr(i, from.size()) == from) {
            out += to;
            i += from.size();
            afterWord = false;  // "Public " ends with a space
            continue;
        }
        if (length == 1 && !inComment) {
            if (line[i] == '"') inString = !inString;
            if (line[i] == '\'' && !inString) inComment = true;
        }
        afterWord = isIdentifierChar(line, i, length);
        out.append(line.substr(i, length));
        i += length;
    }
    return out;
}

text::Bytes demotedBehindMarkers(std::string_view row, std::string_view marker) {
    std::size_t markers = 0;
    while (!marker.empty() && row.substr(markers, marker.size()) == marker)
        markers += marker.size();
    return text::Bytes(row.substr(0, markers)) + demoted(row.substr(markers));
}

}  // namespace scourvane
