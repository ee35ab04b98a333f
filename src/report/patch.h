#pragma once
// A patch for the user's own tree: the unified diff that takes each module file the project
// names, at its own path, to what the run made of it in the working copy, in the project's
// code page and line ends, byte for byte. The flattened project file never appears. The patch
// is rooted at the nearest folder that holds the project folder and every module file.
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

struct PatchInput {
    fs::path projectFolder;
    fs::path workingCopy;
    std::vector<text::Bytes> modules;  // the module table
    // The user's file behind a module row; the last pair of a row is the one its copy holds.
    std::vector<std::pair<text::Bytes, fs::path>> sources;
    text::Bytes marker;  // the unused marker, code page bytes
};

struct Patch {
    std::string text;  // the patch; a header comment says where to apply it
    fs::path root;     // where it applies (git apply / patch -p1 there)
    int files = 0;     // modules it changes
};

// Throws RunError when a module file cannot be read.
Patch makePatch(const PatchInput& input, PatchMode mode);

}  // namespace scourvane::report
