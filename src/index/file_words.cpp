#include "index/file_words.h"

#include "text/lines.h"
#include "rules/identifiers.h"
#include "index/words.h"

namespace scourvane {

FileWords fileWords(std::string content, WordIds& scratch, bool safe) {
    FileWords out;
    const text::CodePage& cp = text::activeCodePage();
    out.content = std::move(content);
    if (safe) identifiers::foldInPlace(out.content, cp);
    const std::string_view text = out.content;
    scratch.clear();
    // Per word: the last line it was met on, and its code lines. Words are met in line order,
    // code words before comment words within a line.
    std::vector<std::uint64_t> seen;
    std::vector<std::uint32_t> lines;
    std::vector<FileWords::Span> firstSeen;
    std::uint64_t line = 0;
    auto span = [&](std::string_view part) {
        return FileWords::Span{static_cast<std::size_t>(part.data() - text.data()), part.size()};
    };
    text::LineReader reader(text);
    while (!reader.atEnd()) {
        const std::string_view row = reader.readLine();
        ++line;
        auto met = [&](std::string_view word, words::Where where) {
            const std::uint32_t id = scratch.add(word);
            if (id == seen.size()) {
                seen.push_back(0);
                lines.push_back(0);
                firstSeen.push_back(span(word));
            }
            if (seen[id] == line) return;
            seen[id] = line;
            if (where == words::Where::Code)
                ++lines[id];
            else
                out.commentLines.push_back({span(word), span(row)});
        };
        if (safe) {
            // Folded already: every token is a view of the row itself.
            forEachIdentifier(row, cp, true, [&](std::string_view token, bool) {
                if (!token.empty()) met(token, words::Where::Code);
            });
        } else {
            forEachWord(row, [&](std::string_view word, words::Where where) {
                if (beginsIdentifier(word[0])) met(word, where);
            });
        }
    }
    for (std::uint32_t id = 0; id < lines.size(); ++id)
        if (lines[id] > 0) out.codeWords.push_back({firstSeen[id], lines[id]});
    return out;
}

FileWords compacted(const FileWords& words) {
    FileWords out;
    std::size_t size = 0;
    for (const FileWords::CodeWord& w : words.codeWords) size += w.word.length;
    out.content.reserve(size);
    auto keep = [&](FileWords::Span s) {
        const FileWords::Span kept{out.content.size(), s.length};
        out.content += words.text(s);
        return kept;
    };
    out.codeWords.reserve(words.codeWords.size());
    for (const FileWords::CodeWord& w : words.codeWords)
        out.codeWords.push_back({keep(w.word), w.lines});
    // A line's comment words follow one another; the line is kept once, each word in it.
    std::size_t lastLine = std::string::npos;
    FileWords::Span line{};
    out.commentLines.reserve(words.commentLines.size());
    for (const FileWords::CommentLine& c : words.commentLines) {
        if (c.line.offset != lastLine) {
            lastLine = c.line.offset;
            line = keep(c.line);
        }
        out.commentLines.push_back(
            {{line.offset + (c.word.offset - c.line.offset), c.word.length}, line});
    }
    return out;
}

}  // namespace scourvane
