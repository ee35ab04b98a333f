#pragma once
// What is read from a project file: the module entries ("Form=", "Module=", "Class=" lines, and
// under the safe rules "UserControl=", "PropertyPage=", "UserDocument=" too), kept as a table
// sorted ignoring case; the other files the safe rules copy with the project; whether the
// project is an ActiveX one; and the reduction of an entry to a bare file name.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/context.h"
#include "text/codepage.h"

namespace scourvane {

using text::Bytes;

// The row a project-file line adds to the module table, if any. Under the safe rules a user
// control, property page, user document or designer ("UserControl=ctlX.ctl", the file right
// after the "=") is a row as well.
std::optional<Bytes> moduleEntry(std::string_view line, RuleSet rules = RuleSet::Spec);

// A designer's row ("dsrX.Dsr"): its code is read wherever a run counts the uses of a Public
// declaration, but nothing in it is judged. Its events are those of objects its binary part
// defines, which no table of the run knows.
bool isDesignerRow(std::string_view row);

// The file a project-file line names that is copied with the project under the safe rules but
// is no module: the resource file ("ResFile32=", its value usually in double quotes, which are
// not part of the name). None for an empty value.
std::optional<Bytes> copiedFileEntry(std::string_view line);

// The entries copiedFileEntry finds in a project text, in the order they stand.
std::vector<Bytes> copiedFileEntries(std::string_view projectText);

// True for a "Type=" line that names an ActiveX project: OleDll, OleExe or Control, ignoring
// letter case and trailing spaces.
bool namesActiveXType(std::string_view line);

// Inserts a row at its place in ascending order ignoring case, after the rows equal to it.
void insertSorted(std::vector<Bytes>& rows, Bytes row);

// Reads the project file at `path` into the module table (cleared first) under the session's
// rules, and records whether it names an ActiveX project, moving the progress bar and yielding
// once per line. Errors propagate as RunError.
void readProjectFile(RunContext& ctx, const fs::path& path);

struct Reduction {
    Bytes name;         // the entry's file name: the text after its last "\" or "/"
    Bytes projectText;  // the project text with every occurrence of the entry replaced by name
};
Reduction reduceModulePath(std::string_view entry, std::string_view projectText);

// True when the row holds a "\" or a "/" (a character, never a trail byte).
bool hasPathSeparator(std::string_view row);

}  // namespace scourvane
