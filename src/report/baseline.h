#pragma once
// Comparing a run's findings with an earlier SARIF report of this tool: each finding is new or
// unchanged, and each earlier result that matches none is absent. Findings are matched by
// module file, rule, name and kind, never by line number, which moves as code is edited; the
// same key several times is matched as many times.
#include <filesystem>
#include <string>
#include <vector>

namespace scourvane::report {

namespace fs = std::filesystem;

struct Baseline {
    std::vector<std::string> keys;     // one per earlier result
    std::vector<std::string> results;  // each earlier result as JSON text
};

// The results of the first run of a SARIF file. Throws RunError when it cannot be read, and
// RunError 75 with the reason when it is no SARIF log of this tool's results.
Baseline readBaseline(const fs::path& file);

// The key a finding is matched by (file as its artifact URI, rule id, name, kind).
std::string baselineKey(const std::string& uri, const std::string& rule, const std::string& name,
                        const std::string& kind);

struct BaselineStates {
    std::vector<std::string> states;  // "new" or "unchanged", one per current key
    std::vector<std::string> absent;  // earlier results (JSON) with baselineState "absent"
    int newCount = 0, unchangedCount = 0;
};
BaselineStates compareWithBaseline(const Baseline& baseline,
                                   const std::vector<std::string>& currentKeys);

// A stable fingerprint of the occurrence-th finding (from 0) with this key, for
// partialFingerprints: code-scanning services follow a result across commits by it.
std::string fingerprint(const std::string& key, int occurrence);

}  // namespace scourvane::report
