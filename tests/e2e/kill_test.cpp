// The terminal front end killed (SIGKILL) at random moments of intake and the run: every file of
// the working copy is one of the states an uninterrupted run goes through (each write replaces a
// file whole), and the next intake and run succeed and leave no temporary file behind.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <map>
#include <random>
#include <set>
#include <thread>

#include "engine/engine.h"
#include "intake/file_ops.h"
#include "support/files.h"
#include "support/hostile_project.h"
#include "support/recording_window.h"
#include "text/codepage.h"

namespace scourvane::testing {
namespace {

// Every content each file of the copy has between two writes of an uninterrupted run.
std::map<std::string, std::set<std::string>>* states = nullptr;
fs::path watched;

void recordStates(const fs::path&) {
    for (const auto& [name, content] : snapshot(watched)) (*states)[name].insert(content);
}

bool isTemporary(const std::string& name) {
    return name.find(".scourvane-") != std::string::npos;
}

// Runs the terminal front end on the project; kills it after `delay` when given.
int runCli(const fs::path& projectFile, std::optional<std::chrono::microseconds> delay) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        const std::string path = projectFile.string();
        ::execl(SCOURVANE_CLI_PATH, SCOURVANE_CLI_PATH, path.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    if (delay) {
        std::this_thread::sleep_for(*delay);
        ::kill(pid, SIGKILL);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(Killed, EveryFileIsAFinishedStateAndTheNextRunCleansUp) {
    text::ScopedCodePage cp(932);
    TempDir tmp;
    const fs::path reference = tmp / "Reference";
    const HostileProject refProject = generateHostileProject(reference, 7, {.scale = 4});

    std::map<std::string, std::set<std::string>> allowed;
    states = &allowed;
    watched = reference / "New_Reference";
    {
        RecordingWindow window;
        Engine engine(window);
        files::setBeforeRenameHook(recordStates);
        engine.intake(refProject.projectFile);
        engine.run();
        files::setBeforeRenameHook(nullptr);
        recordStates({});
    }
    states = nullptr;

    // How long an uninterrupted run of the front end takes, and what it exits with.
    const fs::path folder = tmp / "Killed";
    const fs::path copyOf = folder / "New_Killed";
    auto freshProject = [&] {
        fs::remove_all(folder);
        copyTree(reference, folder);
        fs::remove_all(folder / "New_Reference");
    };
    const fs::path projectFile = folder / refProject.projectFile.filename();
    freshProject();
    const auto start = std::chrono::steady_clock::now();
    const int cleanStatus = runCli(projectFile, std::nullopt);
    const auto whole = std::chrono::duration_cast<std::chrono::microseconds>(
        std::chrono::steady_clock::now() - start);

    std::mt19937 rng(2026);
    std::uniform_int_distribution<long> moment(0, whole.count());
    int cutShort = 0;  // rounds whose copy was left short of the finished run
    for (int round = 0; round < 50; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        freshProject();
        runCli(projectFile, std::chrono::microseconds(moment(rng)));
        const auto left = fs::exists(copyOf) ? snapshot(copyOf) : decltype(snapshot(copyOf)){};
        if (fs::exists(copyOf)) {
            for (const auto& [name, content] : snapshot(copyOf)) {
                if (isTemporary(name)) continue;
                EXPECT_TRUE(allowed[name].contains(content)) << name << " is no finished state";
            }
        }
        EXPECT_EQ(runCli(projectFile, std::nullopt), cleanStatus);
        const auto finished = snapshot(copyOf);
        for (const auto& [name, content] : finished)
            EXPECT_FALSE(isTemporary(name)) << name << " was left behind";
        if (left != finished) ++cutShort;
    }
    // The kills did land in the middle of the work, not only before or after it.
    EXPECT_GE(cutShort, 10);
}

}  // namespace
}  // namespace scourvane::testing
