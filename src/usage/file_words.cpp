#include "usage/file_words.h"

#include "text/lines.h"
#include "usage/words.h"

namespace scourvane {

FileWords fileWords(std::string content, WordIds& scratch) {
    FileWords out;
    out.content = std::move(content);
    const std::string_view text = out.content;
    scratch.clear();
    // Per word: the last line it was met on, and its code lines. Words are met in line order,
    // code words before comment words within a line.
    std::vector<std::uint64_t> seen;
    std::vector<std::uint32_t> lines;
    std::vector<std::string_view> firstSeen;
    std::uint64_t line = 0;
    text::LineReader reader(text);
    while (!reader.atEnd()) {
        const std::string_view row = reader.readLine();
        ++line;
        forEachWord(row, [&](std::string_view word, words::Where where) {
            const std::uint32_t id = scratch.add(word);
            if (id == seen.size()) {
                seen.push_back(0);
                lines.push_back(0);
                firstSeen.push_back(word);
            }
            if (seen[id] == line) return;
            seen[id] = line;
            if (where == words::Where::Code)
                ++lines[id];
            else
                out.commentLines.push_back(
                    {word, static_cast<std::size_t>(row.data() - text.data()), row.size()});
        });
    }
    for (std::uint32_t id = 0; id < lines.size(); ++id)
        if (lines[id] > 0) out.codeLines.emplace_back(firstSeen[id], lines[id]);
    return out;
}

}  // namespace scourvane
