#pragma once
// What a findings report is made from: the project, its working copy, the module table, each
// detection run's counters, and the findings of every run (each knows its run).
#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "base/findings.h"
#include "base/session.h"
#include "base/window.h"
#include "report/baseline.h"

namespace scourvane::report {

namespace fs = std::filesystem;

struct RunSummary {
    int run = 1;
    std::array<std::int32_t, kCounterCount> counters{};  // indexed by indexOf(CounterId)
    std::size_t findings = 0;
};

struct ErrorShown {
    int number = 0;
    std::string description;  // UTF-8
};

// A project of a run of several.
struct ReportProject {
    fs::path projectFile;  // absolute
    fs::path workingCopy;  // absolute
    std::array<std::int64_t, kCounterCount> counters{};  // of the last run, its modules'
    std::vector<Bytes> modules;                          // its module table
};

struct ReportData {
    fs::path projectFile;         // as chosen (a group file or a folder for several projects)
    // Absolute: the working copy, or for several projects the nearest folder holding all of
    // theirs, to which the findings' files are relative.
    fs::path workingCopy;
    std::vector<Bytes> modules;   // the module table, code page bytes
    std::vector<RunSummary> runs;  // in order; the last one's counters are the window's
    std::vector<Finding> findings;
    std::vector<ErrorShown> errors;  // every error box of the intake and the runs
    // What the runs warned of (UTF-8, each once): keep entries that name nothing, modules other
    // projects include, files missing so that Public declarations were left unjudged.
    std::vector<std::string> warnings;
    int codePage = 932;              // of the project's files: names and code are decoded with it
    std::string rules = "safe";      // the rule set in force
    std::optional<Baseline> baseline;  // an earlier report to compare the findings with
    // Every project of a run of several, in order (findings name theirs); empty for one.
    std::vector<ReportProject> projects;
};

// Adds the session's last run to `data`: its counters and its findings, numbered as run
// data.runs.size() + 1. The project, working copy and module table are taken from the session.
void addRun(ReportData& data, const Session& session);

// UTF-8 text from the project's code page bytes (unconvertible bytes become U+FFFD).
std::string decoded(const ReportData& data, std::string_view bytes);

// The file of the finding's module in its working copy (throws RunError for a row that names
// no file of the copy).
fs::path copiedFile(const ReportData& data, const Finding& f);

// That file relative to data.workingCopy, UTF-8 with "/" between its parts: for one project its
// name.
std::string relativeFile(const ReportData& data, const Finding& f);

// The lines first..last (1-based) of the finding's module in the working copy as it is now,
// decoded; empty when the file cannot be read.
std::vector<std::string> linesOf(const ReportData& data, const Finding& f, std::int64_t first,
                                 std::int64_t last);

// The project file of the finding, relative to data.workingCopy; empty for a run of one.
std::string projectOf(const ReportData& data, const Finding& f);

// Japanese and English names of the rules, for every format.
struct RuleText {
    const char* japanese;
    const char* english;
    const char* japaneseFull;
    const char* englishFull;
};
const RuleText& ruleText(Rule rule);

std::string toolVersion();

// A path as UTF-8 text with "/" between its parts.
std::string utf8(const fs::path& p);
// The file: URI of an absolute path, every byte but unreserved characters and "/" escaped.
std::string fileUri(const fs::path& absolute);

}  // namespace scourvane::report
