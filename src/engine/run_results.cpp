#include "engine/run_results.h"

#include "usage/marking.h"

namespace scourvane {

report::Patch patchOf(const Session& session, report::PatchMode mode) {
    report::PatchInput input;
    input.projectFolder = session.intake.projectFolder;
    input.workingCopy = session.intake.workingCopy;
    input.modules = session.modules;
    input.sources = session.moduleSources;
    input.marker = unusedMarker();
    return report::makePatch(input, mode);
}

}  // namespace scourvane
