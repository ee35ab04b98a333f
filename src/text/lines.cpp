#include "text/lines.h"

namespace scourvane::text {

std::vector<std::string> splitLines(std::string_view content) {
    std::vector<std::string> rows;
    LineReader reader(content);
    while (!reader.atEnd()) rows.emplace_back(reader.readLine());
    return rows;
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
