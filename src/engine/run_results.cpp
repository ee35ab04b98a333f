#include "engine/run_results.h"

#include "usage/marking.h"

namespace scourvane {

namespace {

report::PatchInput patchInput(const Session& session) {
    report::PatchInput input;
    if (session.projects.empty())
        input.projects.push_back({session.intake.projectFolder, session.intake.workingCopy,
                                  session.modules, session.moduleSources});
    for (const ProjectState& p : session.projects)
        input.projects.push_back(
            {p.intake.projectFolder, p.intake.workingCopy, p.modules, p.moduleSources});
    input.marker = unusedMarker();
    return input;
}

}  // namespace

report::Patch patchOf(const Session& session, report::PatchMode mode) {
    return report::makePatch(patchInput(session), mode);
}

std::filesystem::path patchRoot(const Session& session) {
    if (!session.intake.loaded) return {};
    return report::patchRoot(patchInput(session));
}

}  // namespace scourvane
