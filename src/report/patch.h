#pragma once
// A patch for the user's own tree: the unified diff that takes each module file the project
// names (every project of the run), at its own path, to what the run made of it in the working copy, in the project's
// code page and line ends, byte for byte. The flattened project file never appears. The patch
// is rooted at the nearest folder that holds the project folders and every module file.
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "text/codepage.h"

namespace scourvane::report {

namespace fs = std::filesystem;

enum class PatchMode {
    Comment,  // the modules as the working copy has them
    Remove,   // the same, less every line that begins with the unused marker
};

struct PatchProject {
    fs::path projectFolder;
    fs::path workingCopy;
    std::vector<text::Bytes> modules;  // the module table
    // The user's file behind a module row; the last pair of a row is the one its copy holds.
    std::vector<std::pair<text::Bytes, fs::path>> sources;
};

// The projects of a run: a module file that several include appears once, from the copy of the
// first that includes it (every copy of it holds the same bytes).
struct PatchInput {
    std::vector<PatchProject> projects;
    text::Bytes marker;  // the unused marker, code page bytes
};

struct Patch {
    std::string text;  // the patch; a header comment says where to apply it
    fs::path root;     // where it applies (git apply / patch -p1 there)
    int files = 0;     // modules it changes
};

// The folder the patch applies in, from the paths alone.
fs::path patchRoot(const PatchInput& input);

// Throws RunError when a module file cannot be read.
Patch makePatch(const PatchInput& input, PatchMode mode);

}  // namespace scourvane::report
