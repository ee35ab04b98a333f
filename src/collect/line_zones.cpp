#include "collect/line_zones.h"

#include "text/codepage.h"

namespace scourvane {

namespace {

// "Rem" as a word of its own, where a statement begins.
bool startsRem(std::string_view line, std::size_t i) {
    if (line.substr(i, 3) != "Rem") return false;
    return i + 3 == line.size() || line[i + 3] == ' ' || line[i + 3] == '\t';
}

}  // namespace

std::vector<Zone> lineZones(std::string_view line) {
    const text::CodePage& cp = text::activeCodePage();
    std::vector<Zone> zones(line.size(), Zone::Code);
    bool inString = false;
    bool statementStart = true;  // only spaces since the line's start or a ":"
    std::size_t depth = 0;
    std::size_t i = 0;
    while (i < line.size()) {
        const std::size_t len = cp.charLength(line, i);
        const char c = len == 1 ? line[i] : '\0';
        if (!inString && statementStart && startsRem(line, i)) {
            for (; i < line.size(); ++i) zones[i] = Zone::Comment;
            break;
        }
        if (!inString && c != ' ') statementStart = c == ':';
        Zone zone = depth > 0 ? Zone::Nested : Zone::Code;
        if (inString) {
            zone = Zone::String;
            if (c == '"') {
                if (i + 1 < line.size() && line[i + 1] == '"') {
                    zones[i] = zones[i + 1] = Zone::String;
                    i += 2;
                    continue;
                }
                inString = false;
            }
        } else if (c == '"') {
            zone = Zone::String;
            inString = true;
        } else if (c == '\'') {
            for (; i < line.size(); ++i) zones[i] = Zone::Comment;
            break;
        } else if (c == '(') {
            ++depth;
            zone = Zone::Nested;
        } else if (c == ')' && depth > 0) {
            --depth;
            zone = Zone::Nested;
        }
        for (std::size_t k = 0; k < len; ++k) zones[i + k] = zone;
        i += len;
    }
    return zones;
}

}  // namespace scourvane
