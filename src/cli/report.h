#pragma once
// What the terminal front end prints on stdout: the six counters as the window's grid, or one
// JSON object.
#include <string>
#include <vector>

#include "base/counters.h"
#include "cli/console_window.h"
#include "report/patch.h"
#include "report/report_data.h"

namespace scourvane::cli {

inline const std::vector<std::string> kNoWarnings;

// The exit status of --fail-on when the run found what it names.
inline constexpr int kFoundStatus = 3;

std::string counterGrid(const Counters& counters);

// A patch written with --patch: where it applies and how many module files it changes.
struct PatchWritten {
    std::filesystem::path file, root;
    int files = 0;
};
// Writes the patch of the session's last run to `file` (atomically); throws RunError.
PatchWritten writePatch(const Session& session, const std::filesystem::path& file,
                        report::PatchMode mode);

// What the JSON object holds beyond the counters, when asked for.
struct JsonExtras {
    const std::vector<std::string>& warnings;
    const report::BaselineStates* baseline = nullptr;
    const PatchWritten* patch = nullptr;
};

std::string jsonReport(const std::string& workingCopy, const std::vector<std::string>& modules,
                       const Counters& counters, const std::vector<ErrorRecord>& errors,
                       const std::vector<report::RunSummary>& runs, const std::string& rules,
                       const JsonExtras& extras = {kNoWarnings},
                       const std::string& projects = "");

// For a run of several projects, a grid per project (its file, then its counters) before the
// totals; nothing for one.
std::string projectGrids(const report::ReportData& data);
// For a run of several projects, the JSON array of them (project_file, working_copy, counters);
// empty for one.
std::string projectsJson(const report::ReportData& data);

}  // namespace scourvane::cli
