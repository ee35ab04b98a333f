#pragma once
// Declarations the user keeps: never judged, never marked, never demoted, counted as declared.
// A keep comment ("scourvane:keep" in a comment on the declaration's line, or alone on the
// line above it), or a name in a keep file: the project's own, scourvane-keep.txt beside its
// project file, and any the front end names.
#include <cstddef>
#include <filesystem>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/keep_names.h"

namespace scourvane::keep {

namespace fs = std::filesystem;

// The keep file a project may hold beside its project file.
inline constexpr std::string_view kProjectKeepFile = "scourvane-keep.txt";

struct KeepFile {
    std::vector<KeepName> names;
    std::vector<std::string> warnings;  // entries that name nothing ("file:line: ...")
};

// A keep file's text: UTF-8 (a byte-order mark allowed), one entry a line, "Name" or
// "Module.Name"; "#" starts a comment; blank lines are skipped. Names become bytes of the
// active code page. `source` names the file in warnings.
KeepFile parseKeepFile(std::string_view text, const std::string& source);

// The keep names of a run: the project's own keep file when it exists, then `files`. Throws
// RunError when a file that exists cannot be read.
struct LoadedKeeps {
    std::shared_ptr<const KeepNames> names;
    std::vector<std::string> warnings;
};
LoadedKeeps loadKeeps(const fs::path& projectFolder, const std::vector<fs::path>& files);
// The same for a run of several projects: each project's own keep file (a folder's once), then
// `files`.
LoadedKeeps loadKeeps(const std::vector<fs::path>& projectFolders,
                      const std::vector<fs::path>& files);

// Whether `keeps` name the declaration `name` of the module in the row `moduleRow` (a module
// part matches the row's file name, with or without its extension). Letter case is ignored, as
// VB ignores it, and a type character ending the declared name (Total$) too. A match is noted.
bool keptByName(const KeepNames& keeps, std::string_view moduleRow, std::string_view name);

// Whether a keep comment keeps the declaration in rows[row]. A row above that begins with
// `marker` is code an earlier pass commented out, not the user's comment.
bool keptByComment(std::span<const std::string_view> rows, std::size_t row,
                   std::string_view marker);

// A warning for every entry that no declaration of the project matched.
std::vector<std::string> unmatchedKeeps(const KeepNames& keeps);

}  // namespace scourvane::keep
