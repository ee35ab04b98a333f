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

struct ReportData {
    fs::path projectFile;         // as chosen
    fs::path workingCopy;         // absolute
    std::vector<Bytes> modules;   // the module table, code page bytes
    std::vector<RunSummary> runs;  // in order; the last one's counters are the window's
    std::vector<Finding> findings;
    std::vector<ErrorShown> errors;  // every error box of the intake and the runs
    int codePage = 932;              // of the project's files: names and code are decoded with it
    std::string rules = "safe";      // the rule set in force
    std::optional<Baseline> baseline;  // an earlier report to compare the findings with
};

// Adds the session's last run to `data`: its counters and its findings, numbered as run
// data.runs.size() + 1. The project, working copy and module table are taken from the session.
void addRun(ReportData& data, const Session& session);

// UTF-8 text from the project's code page bytes (unconvertible bytes become U+FFFD).
std::string decoded(const ReportData& data, std::string_view bytes);

// The module's file in the working copy, relative to it (its name, UTF-8).
std::string relativeFile(const ReportData& data, const Bytes& module);

// The lines first..last (1-based) of a module's file in the working copy as it is now, decoded;
// empty when the file cannot be read.
std::vector<std::string> linesOf(const ReportData& data, const Bytes& module,
                                 std::int64_t first, std::int64_t last);

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
