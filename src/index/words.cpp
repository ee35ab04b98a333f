#include "index/words.h"

#include "text/search.h"

namespace scourvane {

bool isPlainName(std::string_view name) {
    if (name.empty()) return false;
    for (char c : name)
        if (words::isBoundary(c) || c == '\'') return false;
    return true;
}

namespace words {

bool holdsError(std::string_view line) {
    return text::contains(line, "_Error");
}

std::size_t firstApostrophe(std::string_view line) {
    return text::find(line, "'");
}

}  // namespace words

}  // namespace scourvane
