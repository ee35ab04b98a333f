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

// The shape of a project of one standard module, for measuring the passes inside one module:
// many Private names, or long procedures with many Dim lines.
struct ModuleShape {
    std::size_t lines = 50000;  // about this many lines in the module
    // "Private mNameNNNN As Long" lines at module level; every other one is used once or more
    // in the procedures, the rest are not used at all. The procedures themselves are Private
    // too (each calls the next), so the Private counter also holds them.
    std::size_t privateVariables = 0;
    // Lines of each procedure, from its header to the empty line after its end; the procedures
    // fill the module.
    std::size_t procedureLines = 40;
    // Dim lines at the head of each procedure; two of every three are used in its body.
    std::size_t dimsPerProcedure = 3;
};

// A project whose only module is one of the given shape, made in `folder`, which must not
// exist yet. The project file is named after the folder.
GeneratedProject generateModuleProject(const std::filesystem::path& folder,
                                       const ModuleShape& shape);

}  // namespace scourvane::bench
