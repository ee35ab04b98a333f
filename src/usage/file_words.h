#pragma once
// The words of one module file, counted for the cross-module index: for every word, the lines
// that hold it as a code word, and the lines where it stands only as a comment word (settled
// later with the occurrence test). A pure function of the file's bytes.
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "usage/word_ids.h"

namespace scourvane {

struct FileWords {
    struct CommentLine {
        std::string_view word;
        std::size_t offset, length;  // the line, in content
    };
    std::string content;
    std::vector<std::pair<std::string_view, std::uint32_t>> codeLines;  // into content
    std::vector<CommentLine> commentLines;
};

// `scratch` is working memory, reused from call to call.
FileWords fileWords(std::string content, WordIds& scratch);

}  // namespace scourvane
