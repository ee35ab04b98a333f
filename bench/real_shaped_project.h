#pragma once
// Writes VB6 projects shaped like large real desktop programs, for speed measurements: forms,
// classes, standard modules and user controls in the proportions such a program has, module
// sizes that vary as much as real ones, and procedure bodies with the statements, declarations
// and cross-module uses the passes meet in real code. Text in CP932 with CR LF.
#include <cstddef>
#include <filesystem>

#include "project_generator.h"

namespace scourvane::bench {

struct RealShape {
    std::size_t lines = 400000;  // about this many module lines in all
    // Share of modules by kind, as in a large real desktop program (about 540 modules for 380k
    // lines: 42% forms, 26% classes, 21% standard modules, 10% user controls).
    std::size_t modules = 0;                // 0: about one module per 700 lines
    std::size_t dimsPerThousandLines = 45;  // local Dim statements per 1000 lines (real: 17-45)
    unsigned seed = 1;
};

// Writes a project of that shape in `folder` (which must not exist yet), the project file
// named after the folder; returns it as GeneratedProject (from project_generator.h). The same
// shape and seed give the same files.
GeneratedProject generateRealShapedProject(const std::filesystem::path& folder,
                                           const RealShape& shape);

}  // namespace scourvane::bench
