#pragma once
// The detection run: for every row of the module table, in order, the four passes on the
// module's file in the working copy, with the status texts and counter labels between them.
#include <optional>

#include "base/context.h"
#include "engine/prepared_module.h"

namespace scourvane {

void detectionRun(RunContext& ctx);
class OtherModules;
struct PreparedModule;

// Everything for the module in row `index`; `others` is told of every file the passes write.
// With `prepared`, the first three passes are taken from it as long as all goes as foreseen.
// Returns what the public pass wrote, when it did.
std::optional<Bytes> moduleDriver(RunContext& ctx, std::size_t index, OtherModules& others,
                                  std::optional<PreparedModule>& prepared);

// The status texts of the run (UTF-8), M the module's name, W the working copy folder.
std::string statusCollecting(const std::string& module);
std::string statusSearching(const std::string& kind, const std::string& module);
std::string statusFinished(const std::string& workingCopy);

}  // namespace scourvane
