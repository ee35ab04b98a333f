#pragma once
// The words of one module file, counted for the cross-module index: for every word that
// begins like an identifier, the lines that hold it as a code word, and the lines where it stands
// only as a comment word (settled later with the occurrence test). A pure function of the file's
// bytes.
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "index/word_ids.h"

namespace scourvane {

struct FileWords {
    // A place in content, so that the words survive moving the content around.
    struct Span {
        std::size_t offset, length;
    };
    struct CodeWord {
        Span word;
        std::uint32_t lines;
    };
    struct CommentLine {
        Span word, line;
    };
    std::string content;
    std::vector<CodeWord> codeWords;
    std::vector<CommentLine> commentLines;

    std::string_view text(Span s) const {
        return std::string_view(content).substr(s.offset, s.length);
    }
};

// `scratch` is working memory, reused from call to call. With `safe`, the words are those the
// safe rules see: the content is folded (ASCII letters upper-cased), and every identifier of a
// line's code and the text of every string literal is a code word; comments hold none.
FileWords fileWords(std::string content, WordIds& scratch, bool safe = false);

// The same words holding only the text they name (the words, and the lines of comment words)
// instead of the whole file's, to be kept for a while.
FileWords compacted(const FileWords& words);

}  // namespace scourvane
