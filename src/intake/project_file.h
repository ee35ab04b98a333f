#pragma once
// What is read from a project file: the module entries ("Form=", "Module=", "Class=" lines),
// kept as a table sorted ignoring case; and the reduction of an entry to a bare file name.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/context.h"
#include "text/codepage.h"

namespace scourvane {

using text::Bytes;

// The row a project-file line adds to the module table, if any.
std::optional<Bytes> moduleEntry(std::string_view line);

// Inserts a row at its place in ascending order ignoring case, after the rows equal to it.
void insertSorted(std::vector<Bytes>& rows, Bytes row);

// Reads the project file at `path` into the module table (cleared first), moving the progress
// bar and yielding once per line. Errors propagate as RunError.
void readProjectFile(RunContext& ctx, const fs::path& path);

struct Reduction {
    Bytes name;         // the entry's file name: the text after its last "\" or "/"
    Bytes projectText;  // the project text with every occurrence of the entry replaced by name
};
Reduction reduceModulePath(std::string_view entry, std::string_view projectText);

// True when the row holds a "\" or a "/" (a character, never a trail byte).
bool hasPathSeparator(std::string_view row);

}  // namespace scourvane
