#pragma once
// Writes VB6 projects of a chosen size for benchmarks and load tests: a form (with its .frx)
// and standard modules, text in CP932 with CR LF, with procedures that call each other across
// modules, and used and unused Dim, Private and Public declarations for the passes to judge.
#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

namespace scourvane::bench {

struct GeneratedProject {
    std::filesystem::path projectFile;
    std::vector<std::string> modules;  // file names, in the project file's order
    std::size_t lines = 0;             // lines of all modules together
};

// A project of about `lines` module lines over `modules` modules (at least 2: the form and
// one standard module), made in `folder`, which must not exist yet. The project file is named
// after the folder.
GeneratedProject generateProject(const std::filesystem::path& folder, std::size_t lines,
                                 std::size_t modules);

}  // namespace scourvane::bench
