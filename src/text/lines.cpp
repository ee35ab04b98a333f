#include "text/lines.h"

#include "text/search.h"

namespace scourvane::text {

std::vector<std::string> splitLines(std::string_view content) {
    std::vector<std::string> rows;
    LineReader reader(content);
    while (!reader.atEnd()) rows.emplace_back(reader.readLine());
    return rows;
}

std::vector<bool> linesHolding(std::string_view content, std::string_view needle) {
    std::vector<bool> out;
    LineReader reader(content);
    std::size_t hit = findBytes(content, needle);
    while (!reader.atEnd()) {
        const std::string_view line = reader.readLine();
        const auto start = static_cast<std::size_t>(line.data() - content.data());
        const std::size_t end = start + line.size();
        // A match that began in an earlier line and ran past its end (into its break) counts
        // for no line: the next one from here.
        if (hit != npos && hit < start) hit = findBytes(content, needle, start);
        out.push_back(hit != npos && hit + needle.size() <= end);
        if (hit != npos && hit < end) hit = findBytes(content, needle, end);
    }
    return out;
}

std::string joinLines(const std::vector<std::string>& rows, bool breakAfterLast) {
    std::size_t size = 0;
    for (const auto& r : rows) size += r.size() + 2;
    std::string out;
    out.reserve(size);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        out += rows[i];
        if (breakAfterLast || i + 1 < rows.size()) out += kLineBreak;
    }
    return out;
}

}  // namespace scourvane::text
