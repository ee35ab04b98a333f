#include "engine/engine.h"

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include "base/context.h"
#include "base/guard.h"
#include "engine/detection_run.h"
#include "engine/run_projects.h"
#include "engine/run_results.h"
#include "index/intake_words.h"
#include "intake/file_ops.h"
#include "intake/working_copy.h"
#include "keep/keeps.h"

namespace scourvane {

Engine::Engine(Window& window) : window_(window) {
#if defined(__GLIBC__)
    // A run reads and writes whole module files over and over, each pass allocating and freeing
    // buffers of the file's size. Keep freed memory in the heap for the next one instead of
    // handing it back to the system and faulting it in again: the peak stays what it is.
    mallopt(M_MMAP_THRESHOLD, 1 << 30);
    mallopt(M_TRIM_THRESHOLD, 1 << 30);
#endif
}

template <class Command>
bool Engine::exclusive(Command&& command) {
    if (session_.busy) return false;
    session_.busy = true;
    struct Release {
        bool& busy;
        ~Release() { busy = false; }
    } release{session_.busy};
    RunContext ctx(session_, window_);
    try {
        guarded(window_, [&] { command(ctx); });
    } catch (const Closing&) {
        return false;
    }
    return true;
}

bool Engine::intake(const std::filesystem::path& projectPath) {
    return exclusive([&](RunContext& ctx) {
        Session& s = ctx.session();
        s.intakeWords.reset();
        // Counting the words of each module while the next ones are copied puts the other core
        // to work; only the index counts words.
        std::shared_ptr<IntakeWords> words;
        if (s.counting == Counting::Indexed)
            words = std::make_shared<IntakeWords>(s.rules == RuleSet::Safe);
        CopiedModule copied;
        if (words)
            copied = [&](const fs::path& file, std::string content) {
                words->copied(file, std::move(content));
            };
        intakeProjects(ctx, projectPath, copied);
        s.intakeWords = std::move(words);
    });
}

bool Engine::run() {
    return exclusive([](RunContext& ctx) {
        Session& s = ctx.session();
        s.warnings.clear();
        s.sharedModules.clear();
        // A keep file that cannot be read stops the run before anything is judged: without it
        // the run would mark what the user asked to keep.
        std::vector<fs::path> folders;
        for (const ProjectState& p : s.projects) folders.push_back(p.intake.projectFolder);
        if (s.projects.empty()) folders.push_back(s.intake.projectFolder);
        keep::LoadedKeeps keeps = keep::loadKeeps(folders, s.keepFiles);
        s.keeps = std::move(keeps.names);
        s.warnings = std::move(keeps.warnings);
        detectionRun(ctx);
        // Taken by this run or stale: the files may change before the next.
        s.intakeWords.reset();
        for (std::string& w : keep::unmatchedKeeps(*s.keeps)) s.warnings.push_back(std::move(w));
        // A patch of this project alone could break the others that include its modules.
        s.sharedModules = sharedModuleWarnings(s, patchRoot(s));
        const std::vector<std::string>& shared = s.sharedModules;
        s.warnings.insert(s.warnings.end(), shared.begin(), shared.end());
        for (std::string& w : missingFileWarnings(s)) s.warnings.push_back(std::move(w));
        const std::vector<std::string> missing = missingFiles(s);
        if (shared.empty() && missing.empty()) return;
        std::string status = statusFinished(files::display(s.intake.workingCopy));
        if (!missing.empty()) status += "\r\n" + statusMissingFiles(missing);
        if (!shared.empty()) status += "\r\n" + statusSharedModules(shared.size());
        ctx.window().setStatus(status);
    });
}

}  // namespace scourvane
