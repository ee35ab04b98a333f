#pragma once
// Runs this benchmark's own program again as a child process, so that what the child does is
// measured alone: its peak resident set as the kernel counts it (ru_maxrss from wait4), which
// nothing the parent did before (generating a project, say) can raise.
#include <map>
#include <string>
#include <vector>

namespace scourvane::bench {

struct ChildResult {
    int exitCode = -1;   // -1 when a signal ended it
    std::string output;  // what it wrote to stdout
    long peakKiB = 0;    // ru_maxrss
    double seconds = 0;  // wall time, from fork to its end
};

// Runs /proc/self/exe with `args` (argv[1] onwards); its stderr stays the parent's.
ChildResult runSelf(const std::vector<std::string>& args);

// "key value" lines, as the children write their results.
std::map<std::string, std::string> readValues(const std::string& output);

// A value of the calling process's /proc/self/status in KiB (VmRSS, VmHWM), or -1.
long selfStatusKiB(const char* key);

}  // namespace scourvane::bench
