#pragma once
// A unified diff of one file in git's format, on bytes: lines are compared with their
// terminators, so a line end that changes (LF to CR LF) is a change, and a last line without
// one is marked "\ No newline at end of file". Nothing is decoded.
#include <string>
#include <string_view>

namespace scourvane::report {

// The path as a diff header writes it: as it is when it holds only plain characters, otherwise
// in double quotes with C escapes (octal for bytes outside ASCII), as git writes and reads it.
std::string diffPath(std::string_view path);

// "diff --git", "---", "+++" and the hunks (three lines of context) that take `before` to
// `after` for the file at `path` (relative, "/" between its parts); empty when they are equal.
std::string fileDiff(std::string_view path, std::string_view before, std::string_view after);

}  // namespace scourvane::report
