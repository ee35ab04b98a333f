#pragma once
// What the terminal front end prints on stdout: the six counters as the window's grid, or one
// JSON object.
#include <string>
#include <vector>

#include "base/counters.h"
#include "cli/console_window.h"

namespace scourvane::cli {

std::string counterGrid(const Counters& counters);

std::string jsonReport(const std::string& workingCopy, const std::vector<std::string>& modules,
                       const Counters& counters, const std::vector<ErrorRecord>& errors);

// A JSON string literal for UTF-8 text.
std::string jsonString(const std::string& s);

}  // namespace scourvane::cli
