#pragma once
// Findings reports: SARIF 2.1.0, CSV and a self-contained HTML page, chosen by the file's
// extension, each written atomically.
#include <optional>
#include <string>

#include "report/report_data.h"

namespace scourvane::report {

enum class Format { Sarif, Csv, Html };

// The format the extension names (".sarif", ".csv", ".html" or ".htm", any letter case).
std::optional<Format> formatOf(const fs::path& file);

// Why a report cannot be written to `file`, or an empty text: an unknown extension, a folder,
// a folder that does not exist or cannot be written, a place inside the working copy.
std::string reportPathProblem(const fs::path& file, const fs::path& workingCopy);
// The same for any file the front end writes (a patch): all but the extension.
std::string outputPathProblem(const fs::path& file, const fs::path& workingCopy);

std::string sarifReport(const ReportData& data);
// The findings compared with data.baseline (all "new" without one).
BaselineStates baselineStates(const ReportData& data);
std::string csvReport(const ReportData& data);
std::string htmlReport(const ReportData& data);

// Writes the report in the format of its extension; throws RunError when writing fails.
void writeReport(const fs::path& file, const ReportData& data);

}  // namespace scourvane::report
