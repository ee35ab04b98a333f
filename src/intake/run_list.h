#pragma once
// The projects a chosen path names: a project file alone; the projects of a group file (its
// "Project=" and "StartupProject=" lines, paths relative to the group file, "..\" included); or
// every project file in a folder and its subfolders, leaving out the tool's own working copies,
// hidden folders, links and anything that is no regular file. Each project once.
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "base/run_error.h"

namespace scourvane {

namespace fs = std::filesystem;

enum class ChosenKind { Project, Group, Folder };

// A folder, a file ending ".vbg" (any case), or anything else (taken as a project file).
ChosenKind chosenKind(const fs::path& chosen);

struct ProjectList {
    std::vector<fs::path> projects;  // absolute, in the order named (a folder's: path order)
    // The entries that name no usable project file, each with the error its box shows; the
    // other projects go on.
    std::vector<RunError> problems;
};

// The project entries of a group file's text, as written (code page bytes): the startup project
// first when it is named, then the others in order. RunError 321 when the text is no group file
// (its first line that is not blank does not begin with "VBGROUP").
std::vector<std::string> groupEntries(std::string_view text, const std::string& shownFile);

// The projects `chosen` names. Throws RunError when it names none at all: a group or a folder
// that cannot be read, a folder without project files, a file that is no group file.
ProjectList projectsOf(const fs::path& chosen);

// True for the folder a project in `parent` has as its working copy: "New_" + parent's name.
bool isWorkingCopyFolder(const fs::path& folder);

// The project files (".vbp", any case) in `folder` and its subfolders, in path order, leaving
// out working copies, hidden folders, links and anything that is no regular file; at most
// `mostFolders` folders are entered. Throws RunError when `folder` itself cannot be read.
std::vector<fs::path> projectFilesBelow(const fs::path& folder,
                                        std::size_t mostFolders = static_cast<std::size_t>(-1));

}  // namespace scourvane
