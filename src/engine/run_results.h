#pragma once
// What the front ends make of a session's runs: the patch of the working copy for the user's
// own tree.
#include <filesystem>

#include "base/session.h"
#include "report/patch.h"

namespace scourvane {

// The patch of the session's working copy, from the user's module files; throws RunError when
// a file cannot be read.
report::Patch patchOf(const Session& session, report::PatchMode mode);

// Where that patch applies: the nearest folder holding the project folders and every module
// file they name.
std::filesystem::path patchRoot(const Session& session);

}  // namespace scourvane
