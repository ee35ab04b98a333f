#pragma once
// A run of the projects a chosen path names: a project file alone, a group file or a folder.
// Intake makes each project's working copy as for a project alone; the run judges each
// distinct module once, for every project that includes it.
#include <filesystem>
#include <string>
#include <vector>

#include "base/context.h"
#include "intake/working_copy.h"

namespace scourvane {

// Makes project k of the session the project in hand.
void loadProject(Session& session, std::size_t k);

// Intake of every project `chosen` names. A project that cannot be taken in shows its error box
// and the others go on; so does one whose modules would overwrite, in a working copy it shares
// with an earlier project, a different module of that project.
// `copied` is told of every module file written.
void intakeProjects(RunContext& ctx, const std::filesystem::path& chosen,
                    const CopiedModule& copied = {});

// The modules a run of one project changed that other project files under `root` name too,
// as warnings: which modules, which other projects, and that a run on them all judges them
// for all. Project files are looked for below `root`, leaving out working copies and hidden
// folders, up to a bound on the folders visited.
std::vector<std::string> sharedModuleWarnings(const Session& session,
                                              const std::filesystem::path& root);

// Under the safe rules, after a run: a warning per project that lacks files that can hold code,
// naming them and saying that Public declarations were left unjudged for that reason; and the
// missing files of all projects, for the status box.
std::vector<std::string> missingFileWarnings(const Session& session);
std::vector<std::string> missingFiles(const Session& session);

}  // namespace scourvane
