#pragma once
// Random VB6 projects built to trip up the engine: names that hold or abut the occurrence
// test's boundary characters, code page 932 characters whose trail byte looks like "\", "_" or
// a letter, lone lead bytes, "_Error" and apostrophes in odd places, lines already marked,
// blocks without end lines, mixed line terminators, missing and repeated module entries. The
// same seed always writes the same bytes, so a failure can be replayed from its seed alone.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace scourvane::testing {

namespace fs = std::filesystem;

struct HostileOptions {
    // Multiplies the number of modules and lines (benchmarks ask for bigger projects).
    int scale = 1;
    // Some entries name modules in a folder beside the project's ("..\\Shared\\x.bas"),
    // written into folder/../Shared.
    bool outsideEntries = false;
};

struct HostileProject {
    fs::path folder;                   // the folder the project was written into
    fs::path projectFile;              // its .vbp
    std::vector<fs::path> files;       // every file written, the project file included
    std::vector<std::string> entries;  // the module entries of the project file (code page bytes)
};

// Writes a project for `seed` into `folder` (made if missing; it should be empty). Code page
// 932 bytes throughout; no decoding is needed to read any of it back.
HostileProject generateHostileProject(const fs::path& folder, std::uint32_t seed,
                                      const HostileOptions& options = {});

// One module's text for `seed`, as the generator writes a standard module (for tests of the
// passes on single files). `kind` is "bas", "cls" or "frm".
std::string hostileModuleText(std::uint32_t seed, const std::string& kind,
                              const HostileOptions& options = {});

}  // namespace scourvane::testing
