#pragma once
// The user's word that a declaration stays as it is: a comment holding "scourvane:keep" (letter
// case ignored), on the declaration's own line or alone on the line just above it.
#include <string_view>

namespace scourvane {

// Whether the comment of `line` (after an apostrophe or a Rem statement, outside strings)
// holds the keep word.
bool holdsKeepComment(std::string_view line);

// Whether `line` is nothing but blanks and a comment that holds the keep word; never for a
// line without a colon (the keep word holds one).
bool isKeepCommentLine(std::string_view line);

}  // namespace scourvane
