// engine_run [LINES] [MODULES]: the engine alone (intake and one detection run) on a generated
// project, against a baseline measured in the same run: reading and rewriting every module
// file five times (the copy and the four passes), which is the floor of the engine's I/O.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>

#include "engine/engine.h"
#include "intake/file_ops.h"
#include "project_generator.h"
#include "silent_window.h"
#include "text/codepage.h"

namespace fs = std::filesystem;

namespace {

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
    const std::size_t lines = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 200000;
    const std::size_t modules = argc > 2 ? std::strtoul(argv[2], nullptr, 10) : 40;
    scourvane::text::setActiveCodePage(scourvane::text::CodePage::get(932));

    const fs::path root = fs::temp_directory_path() /
                          ("scourvane-engine-bench-" + std::to_string(std::random_device{}()));
    const auto project = scourvane::bench::generateProject(root / "Bench", lines, modules);

    // Baseline: every module read and replaced five times.
    const fs::path scratch = root / "scratch";
    fs::create_directories(scratch);
    auto start = std::chrono::steady_clock::now();
    for (int round = 0; round < 5; ++round)
        for (const auto& m : project.modules)
            scourvane::files::writeAll(scratch / fs::path(m).filename(),
                                       scourvane::files::readAll(root / "Bench" / m));
    const double baseline = secondsSince(start);

    scourvane::bench::SilentWindow window;
    scourvane::Engine engine(window);
    start = std::chrono::steady_clock::now();
    engine.intake(project.projectFile);
    engine.run();
    const double engineSeconds = secondsSince(start);

    const auto& c = engine.session().counters;
    std::printf("project: %zu lines in %zu modules\n", project.lines, project.modules.size());
    std::printf("baseline (I/O, 5 rounds): %.3f s\n", baseline);
    std::printf("engine (intake + run):    %.3f s  = %.1f x baseline, %.0f lines/s\n",
                engineSeconds, engineSeconds / baseline,
                static_cast<double>(project.lines) / engineSeconds);
    std::printf("counters: Dim %d/%d Private %d/%d Public %d/%d, error boxes %ld\n",
                c.get(scourvane::CounterId::Dim), c.get(scourvane::CounterId::UnusedDim),
                c.get(scourvane::CounterId::Private), c.get(scourvane::CounterId::UnusedPrivate),
                c.get(scourvane::CounterId::Public), c.get(scourvane::CounterId::UnusedPublic),
                window.errors);
    std::error_code ec;
    fs::remove_all(root, ec);
    return 0;
}
