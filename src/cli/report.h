#pragma once
// What the terminal front end prints on stdout: the six counters as the window's grid, or one
// JSON object.
#include <string>
#include <vector>

#include "base/counters.h"
#include "cli/console_window.h"
#include "report/report_data.h"

namespace scourvane::cli {

std::string counterGrid(const Counters& counters);

std::string jsonReport(const std::string& workingCopy, const std::vector<std::string>& modules,
                       const Counters& counters, const std::vector<ErrorRecord>& errors,
                       const std::vector<report::RunSummary>& runs, const std::string& rules);

}  // namespace scourvane::cli
