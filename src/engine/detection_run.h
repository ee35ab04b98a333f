#pragma once
// The detection run: for every row of the module table, in order, the four passes on the
// module's file in the working copy, with the status texts and counter labels between them.
#include <optional>
#include <string>
#include <vector>

#include "base/context.h"
#include "engine/prepared_module.h"

namespace scourvane {

#include <functional>

void detectionRun(RunContext& ctx);
class OtherModules;

// One project's part of a run of several: the other modules are the run's, a module that an
// earlier project included is not judged again, and each module judged is reported.
struct ProjectPart {
    OtherModules* others;
    std::size_t firstShownRow;  // the project's first module in the window's list
    std::function<bool(std::size_t row)> judgedBefore;
    // After the passes of the row's module: the counters before them, and what the public pass
    // wrote, when it did.
    std::function<void(std::size_t row, const Counters& before, const std::optional<Bytes>&)>
        judged;
};

// The passes of every module of the project in hand, in table order. Without `part`, the
// project is the run.
void judgeProject(RunContext& ctx, const ProjectPart* part = nullptr);

// Every project of the session (engine/run_projects.cpp).
void judgeProjects(RunContext& ctx);
struct PreparedModule;

// Everything for the module in row `index`; `others` is told of every file the passes write.
// With `prepared`, the first three passes are taken from it as long as all goes as foreseen.
// Returns what the public pass wrote, when it did. When `others` counts no file of the
// module's own, the public pass of a prepared module may be worked out before the file is
// written, and written with the passes before it.
std::optional<Bytes> moduleDriver(RunContext& ctx, std::size_t index, OtherModules& others,
                                  std::optional<PreparedModule>& prepared);

// The status texts of the run (UTF-8), M the module's name, W the working copy folder.
std::string statusCollecting(const std::string& module);
std::string statusSearching(const std::string& kind, const std::string& module);
std::string statusFinished(const std::string& workingCopy);
// The line added to it when modules the run changed belong to other projects too.
std::string statusSharedModules(std::size_t modules);
// The status box's line after a run that left the Public declarations of an incomplete project
// unjudged, naming the missing files (the first few, then how many more).
std::string statusMissingFiles(const std::vector<std::string>& files);

}  // namespace scourvane
