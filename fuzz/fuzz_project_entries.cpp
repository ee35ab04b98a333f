// A project file's module entries, reduced as intake reduces them: a row is either refused or
// names a file directly inside the working copy, never outside it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "base/paths.h"
#include "base/run_error.h"
#include "code_page_932.h"
#include "intake/project_file.h"
#include "text/lines.h"

using namespace scourvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string projectText(reinterpret_cast<const char*>(data), size);
    const std::filesystem::path copy = "/work/Sales/New_Sales";
    std::string rewritten = projectText;
    text::LineReader reader(projectText);
    while (!reader.atEnd()) {
        const auto row = moduleEntry(reader.readLine());
        if (!row) continue;
        Bytes name = *row;
        if (hasPathSeparator(*row)) {
            Reduction r = reduceModulePath(*row, rewritten);
            name = std::move(r.name);
            rewritten = std::move(r.projectText);
        }
        try {
            const std::filesystem::path file = workingCopyFile(copy, name);
            if (file.parent_path() != copy) std::abort();
            const std::string leaf = file.filename().string();
            if (leaf.empty() || leaf == "." || leaf == "..") std::abort();
        } catch (const RunError&) {
            // Refused: never a write target.
        }
    }
    return 0;
}
