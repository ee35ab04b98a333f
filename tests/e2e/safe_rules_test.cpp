// The two rule sets from the terminal front end. tests/fixtures/safe holds a project where the
// default rules comment out code that is used, and a working copy derived by hand for each rule
// set (its NOTES.md says why each line is what it is). Every decision of a safe run is then
// checked again by tests/support/safe_check.py, which reads the rules afresh and shares no code
// with the program: on that project, on the other fixtures and on hostile projects. On the
// default rules' result the same checker must object, or it would prove nothing. Under both rule
// sets the checker also holds every copy to compiling as the user's modules did: blocks that
// pair up as before, no implementation of an interface commented out.
//
// SCOURVANE_CHECK_CLI names another build of the terminal program to check instead;
// SCOURVANE_CHECK_SEEDS=N checks hostile seeds 1..N instead of 40; SCOURVANE_CHECK_KEEP=DIR keeps
// what was checked.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <regex>
#include <sstream>

#include "e2e/fixture_files.h"
#include "support/files.h"
#include "support/hostile_project.h"

namespace scourvane::testing {
namespace {

using Result = CommandResult;

// A run of the terminal front end on the project file in `folder`: its working copy, the CSV
// findings report written beside the folder, and what the program said.
struct CliRun {
    fs::path copy, csv;
    Result cli;
};

std::string cliPath() {
    const char* other = std::getenv("SCOURVANE_CHECK_CLI");
    return other && *other ? other : SCOURVANE_CLI_PATH;
}

std::uint32_t hostileSeeds() {
    const char* n = std::getenv("SCOURVANE_CHECK_SEEDS");
    return n && *n ? static_cast<std::uint32_t>(std::stoul(n)) : 40;
}

CliRun runCli(const fs::path& folder, const std::string& projectFile, const std::string& rules,
              const TempDir& tmp) {
    CliRun r;
    r.copy = folder / ("New_" + folder.filename().string());
    r.csv = folder.parent_path() / (folder.filename().string() + "-" + rules + ".csv");
    r.cli = runCommand(quoted(fs::path(cliPath())) + " --quiet --json --rules " + rules +
                           " --report " + quoted(r.csv) + " " + quoted(folder / projectFile),
                       tmp);
    EXPECT_TRUE(fs::exists(r.csv)) << folder << ": " << r.cli.err;
    return r;
}

// The checker on the runs, in one start of the interpreter; what it says of each run is
// introduced by "== <working copy>" when there are several.
Result check(const std::vector<CliRun>& runs, const TempDir& tmp, bool blocksOnly = false) {
    // SCOURVANE_CHECK_KEEP=DIR keeps the projects, their copies and reports there.
    if (const char* keep = std::getenv("SCOURVANE_CHECK_KEEP"); keep && *keep)
        fs::copy(tmp.path(), keep, fs::copy_options::recursive | fs::copy_options::overwrite_existing);
    std::string command = "python3 " + quoted(sourceDir() / "tests/support/safe_check.py");
    if (blocksOnly) command += " --blocks-only";
    for (const CliRun& r : runs) command += " " + quoted(r.copy) + " " + quoted(r.csv);
    return runCommand(command, tmp);
}

// The last line the checker wrote for the run `r`:
// "<n> findings checked, <k> not judged, <m> violations".
std::string summaryOf(const Result& checked, const CliRun& r) {
    std::istringstream lines(checked.out);
    std::string copy, last;
    for (std::string line; std::getline(lines, line);) {
        if (line.starts_with("== ")) {
            if (copy == r.copy.string()) break;
            copy = line.substr(3);
        }
        last = line;
    }
    return copy == r.copy.string() ? last : std::string();
}

long findingsChecked(const std::string& summary) {
    std::smatch m;
    return std::regex_search(summary, m, std::regex("^([0-9]+) findings checked")) ? std::stol(m[1])
                                                                                   : -1;
}

const fs::path kFixture = "tests/fixtures/safe";

CliRun runFixture(const std::string& rules, const TempDir& tmp) {
    copyProject(sourceDir() / kFixture / "project", tmp / "Plotter");
    return runCli(tmp / "Plotter", "Plotter.vbp", rules, tmp);
}

TEST(SafeRules, EachRuleSetGivesItsHandDerivedCopyAndCounters) {
    for (const std::string rules : {"spec", "safe"}) {
        SCOPED_TRACE(rules);
        TempDir tmp;
        const CliRun r = runFixture(rules, tmp);
        EXPECT_EQ(r.cli.status, 0) << r.cli.err;
        EXPECT_TRUE(sameTree(sourceDir() / kFixture / ("expected-" + rules), r.copy));
        EXPECT_EQ(
            jsonCounters(r.cli.out),
            readCounterFile(sourceDir() / kFixture / ("expected-counters-" + rules + ".txt")));
    }
}

// On the fixture, the eleven findings that NOTES.md derives; the other fixtures each declare
// things that nothing uses (their NOTES.md), so something is checked in each.
std::vector<CliRun> runFixtures(const std::string& rules, const TempDir& tmp) {
    struct Project {
        const char *source, *folder, *projectFile;
    };
    const Project projects[] = {
        {"tests/fixtures/safe/project", "Plotter", "Plotter.vbp"},
        {"examples/Sales", "Sales", "Sales.vbp"},
        {"tests/fixtures/road/project", "Road", "Road.vbp"},
        {"tests/fixtures/crossmodule/project", "Billing", "Billing.vbp"},
        {"tests/fixtures/japanese/project", "受注管理", "受注.vbp"},
    };
    std::vector<CliRun> runs;
    for (const Project& p : projects) {
        copyProject(sourceDir() / p.source, tmp / p.folder);
        runs.push_back(runCli(tmp / p.folder, p.projectFile, rules, tmp));
        EXPECT_EQ(runs.back().cli.status, 0) << p.folder << ": " << runs.back().cli.err;
    }
    return runs;
}

// Error boxes are expected on hostile projects (missing modules, odd entries).
std::vector<CliRun> runHostile(const std::string& rules, const TempDir& tmp) {
    std::vector<CliRun> runs;
    for (std::uint32_t seed = 1; seed <= hostileSeeds(); ++seed) {
        const fs::path folder = tmp / ("seed" + std::to_string(seed));
        const HostileProject project = generateHostileProject(folder, seed);
        runs.push_back(runCli(folder, project.projectFile.filename().string(), rules, tmp));
    }
    return runs;
}

TEST(SafeRules, CheckerAgreesWithEverySafeFindingOnTheFixtures) {
    TempDir tmp;
    const std::vector<CliRun> runs = runFixtures("safe", tmp);
    const Result checked = check(runs, tmp);
    EXPECT_EQ(checked.status, 0) << checked.out << checked.err;
    EXPECT_EQ(summaryOf(checked, runs[0]), "11 findings checked, 0 not judged, 0 violations")
        << checked.out;
    for (const CliRun& r : runs) EXPECT_GT(findingsChecked(summaryOf(checked, r)), 0) << r.copy;
}

TEST(SafeRules, CheckerAgreesWithEverySafeFindingOnHostileProjects) {
    TempDir tmp;
    const std::vector<CliRun> runs = runHostile("safe", tmp);
    const Result checked = check(runs, tmp);
    EXPECT_EQ(checked.status, 0) << checked.out << checked.err;
    long total = 0;
    for (const CliRun& r : runs) {
        const long n = findingsChecked(summaryOf(checked, r));
        EXPECT_GE(n, 0) << r.copy << ":\n" << checked.out;
        total += std::max(n, 0L);
    }
    // Hostile projects are full of names used once or twice: many are found unused.
    EXPECT_GT(total, 0);
    std::printf("hostile projects: %ld safe findings checked\n", total);
}

// The default rules keep what the user's modules compiled: indented headers and ends and
// interfaces named with their library among them (the generator writes both).
TEST(SafeRules, UnderTheDefaultRulesTheCopyKeepsItsBlocksAndInterfaces) {
    TempDir tmp;
    std::vector<CliRun> runs = runFixtures("spec", tmp);
    for (CliRun& r : runHostile("spec", tmp)) runs.push_back(std::move(r));
    const Result checked = check(runs, tmp, true);
    EXPECT_EQ(checked.status, 0) << checked.out << checked.err;
    for (const CliRun& r : runs)
        EXPECT_EQ(findingsChecked(summaryOf(checked, r)), 0) << r.copy << ":\n" << checked.out;
}

// The default rules' decisions on the fixture, as NOTES.md derives them: ten uses of a name on
// lines that are not marked, for names the run marked or demoted, and two declarations that
// the safe rules never judge.
TEST(SafeRules, CheckerObjectsToTheDefaultRulesOnTheFixture) {
    TempDir tmp;
    const Result checked = check({runFixture("spec", tmp)}, tmp);
    EXPECT_EQ(checked.status, 1) << checked.out << checked.err;
    const std::pair<const char*, const char*> expected[] = {
        {"public-to-private Name", "frmMain.frm:88"},
        {"unused-public Refresh", "frmMain.frm:94"},
        {"unused-private TEXTSIZE", "frmMain.frm:68"},
        {"unused-private ClearPlot", "frmMain.frm:65"},
        {"unused-private MS_Compress", "modDraw.bas:18"},
        {"unused-private Total", "modDraw.bas:73"},
        {"unused-private Total", "modDraw.bas:74"},
        {"unused-private CloseSection", "modDraw.bas:56"},
        {"unused-private Output_F", "modDraw.bas:38"},
        {"public-to-private Pens", "frmMain.frm:89"},
    };
    for (const auto& [finding, line] : expected)
        EXPECT_NE(checked.out.find(std::string(finding) + " is used on " + line), std::string::npos)
            << finding << " on " << line << " in:\n"
            << checked.out;
    for (const char* neverJudged :
         {"clsLayers.cls:26: public-to-private Item: judged, but it is a member with VB_UserMemId",
          "frmMain.frm:56: unused-private mX: judged, but it is a line of several declarations"})
        EXPECT_NE(checked.out.find(neverJudged), std::string::npos) << checked.out;
    EXPECT_TRUE(checked.out.ends_with("\n23 findings checked, 0 not judged, 12 violations\n"))
        << checked.out;
}

}  // namespace
}  // namespace scourvane::testing
