#pragma once
// Adding names to a project's keep file and taking them off again, as a review of the findings
// does: the file's lines and comments stay byte for byte as they were (its line ends too), an
// entry the file holds already is not added again, a new file starts with a comment line that
// says what it is, and the file is replaced atomically, so that it is always either as it was or
// as it is meant to be.
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace scourvane::keep {

// The first line of a keep file the program makes.
inline constexpr std::string_view kKeepFileHeader =
    "# Scourvane: declarations to keep (never marked unused, never made Private), one a line: "
    "Name or Module.Name";

struct KeepEdit {
    std::string text;                // the file's new content
    std::vector<std::string> added;  // the entries added, in order (those it held are left out)
};

// `text`, the file's content (`exists` false: there is no file yet), with each of `entries`
// ("Module.Name", UTF-8) that it does not hold yet (ignoring ASCII letter case and blanks
// around it) appended as a line of its own, ended as the file's lines are (CR LF for a new
// file or one without line ends).
KeepEdit withEntries(std::string_view text, bool exists, const std::vector<std::string>& entries);

// `text` less the lines `added` put there: for each entry, the last line that holds exactly it.
std::string withoutEntries(std::string_view text, const std::vector<std::string>& added);

// The same on the keep file beside a project file, scourvane-keep.txt in `projectFolder`.
// Both throw RunError, naming the file, when it cannot be read or replaced; it is then
// unchanged. addKeeps returns the entries it added; removeKeeps does nothing when the file is
// gone.
std::vector<std::string> addKeeps(const std::filesystem::path& projectFolder,
                                  const std::vector<std::string>& entries);
void removeKeeps(const std::filesystem::path& projectFolder, const std::vector<std::string>& added);

}  // namespace scourvane::keep
