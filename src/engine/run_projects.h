#pragma once
// A run of the projects a chosen path names: a project file alone, a group file or a folder.
// Intake makes each project's working copy as for a project alone; the run judges each
// distinct module once, for every project that includes it.
#include <filesystem>
#include <string>
#include <vector>

#include "base/context.h"

namespace scourvane {

// Makes project k of the session the project in hand.
void loadProject(Session& session, std::size_t k);

// Intake of every project `chosen` names. A project that cannot be taken in shows its error box
// and the others go on; so does one whose modules would overwrite, in a working copy it shares
// with an earlier project, a different module of that project.
void intakeProjects(RunContext& ctx, const std::filesystem::path& chosen);

// The modules a run of one project changed that other project files under `root` name too,
// as warnings: which modules, which other projects, and that a run on them all judges them
// for all. Project files are looked for below `root`, leaving out working copies and hidden
// folders, up to a bound on the folders visited.
std::vector<std::string> sharedModuleWarnings(const Session& session,
                                              const std::filesystem::path& root);

}  // namespace scourvane
