// Runs of several projects together, on groups made by the group generator (bench/): shared
// modules in a sibling folder, two projects in one folder, an ActiveX DLL whose public classes
// some applications use. tests/support/group_check.py, which shares no code with the program,
// holds every result to it: each copy of a shared module the same bytes, no Public marked or
// made Private that any project including its module uses. Run one project at a time, the
// same checker must object, or it would prove nothing.
#include <gtest/gtest.h>

#include <regex>
#include <set>

#include "base/window.h"
#include "engine/engine.h"
#include "group_generator.h"
#include "support/files.h"
#include "support/recording_window.h"

namespace scourvane::testing {
namespace {

std::string cli() { return quoted(fs::path(SCOURVANE_CLI_PATH)) + " --quiet "; }

CommandResult check(const fs::path& root, const TempDir& tmp, bool activeXJudged = false) {
    return runCommand("python3 " + quoted(sourceDir() / "tests/support/group_check.py") +
                          (activeXJudged ? " --activex-judged " : " ") + quoted(root),
                      tmp);
}

int numberAfter(const std::string& text, const std::string& label) {
    std::smatch m;
    if (!std::regex_search(text, m, std::regex(label + "[^0-9]*([0-9]+)"))) return -1;
    return std::stoi(m[1].str());
}

int numberBefore(const std::string& text, const std::string& label) {
    std::smatch m;
    if (!std::regex_search(text, m, std::regex("([0-9]+)" + label))) return -1;
    return std::stoi(m[1].str());
}

// Every module file of every working copy below root: relative path -> bytes.
std::map<std::string, std::string> copies(const fs::path& root) {
    std::map<std::string, std::string> out;
    for (const auto& [path, bytes] : snapshot(root))
        if (path.find("/New_") != std::string::npos) out[path] = bytes;
    return out;
}

TEST(GroupRun, NoPublicThatAnIncludingProjectUsesIsMarkedAndSharedCopiesAgree) {
    TempDir tmp;
    for (unsigned seed : {1u, 2u}) {
        SCOPED_TRACE(seed);
        bench::GroupShape shape;
        shape.seed = seed;
        shape.applications = 4;
        const auto group = bench::generateProjectGroup(tmp / ("g" + std::to_string(seed)), shape);

        // One project at a time: the checker finds what such runs get wrong.
        const fs::path alone = tmp / ("alone" + std::to_string(seed));
        copyTree(group.root, alone);
        for (const fs::path& p : group.projects)
            runCommand(cli() + quoted(alone / p.lexically_relative(group.root)), tmp);
        const CommandResult aloneChecked = check(alone, tmp);
        EXPECT_EQ(aloneChecked.status, 1) << aloneChecked.out << aloneChecked.err;

        // The group file, then the folder, under both rule sets: each run holds.
        // The group file, then the folder: each run holds, and they agree.
        const CommandResult run = runCommand(cli() + quoted(group.groupFile), tmp);
        EXPECT_EQ(run.status, 0) << run.out << run.err;
        const CommandResult checked = check(group.root, tmp);
        EXPECT_EQ(checked.status, 0) << checked.out << checked.err;
        EXPECT_GT(numberBefore(checked.out, " trap"), 0) << checked.out;
        const auto byGroup = copies(group.root);
        const CommandResult folder = runCommand(cli() + quoted(group.root), tmp);
        EXPECT_EQ(folder.status, 0) << folder.err;
        EXPECT_EQ(copies(group.root), byGroup) << "a folder's run differs from its group's";

        // The specified rules mark names their occurrence test misses (core.CoreLevel(n)), but
        // a shared module still gets one judgement, the same bytes in every copy.
        runCommand(cli() + "--rules spec " + quoted(group.groupFile), tmp);
        const CommandResult spec = check(group.root, tmp, true);
        EXPECT_EQ(spec.out.find("different bytes"), std::string::npos) << spec.out;
        EXPECT_EQ(spec.out.find("trap"), spec.out.rfind("trap")) << "a trap marked:\n" << spec.out;

        // Said to hold every caller, the run judges the DLL's public classes, and still holds.
        const CommandResult closed =
            runCommand(cli() + "--activex-callers-in-run " + quoted(group.groupFile), tmp);
        EXPECT_EQ(closed.status, 0) << closed.err;
        const CommandResult judged = check(group.root, tmp, true);
        EXPECT_EQ(judged.status, 0) << judged.out << judged.err;
        const CommandResult unjudged = check(group.root, tmp, false);
        EXPECT_EQ(unjudged.status, 1) << "the DLL's unused members were not judged\n"
                                      << unjudged.out;
    }
}

// The patch of a group run, applied to the user's tree with git apply and with patch: each
// module file changed once, and every project's modules then read as its working copy has them.
TEST(GroupRun, ThePatchGivesEveryProjectItsWorkingCopysModules) {
    TempDir tmp;
    const auto group = bench::generateProjectGroup(tmp / "g", bench::GroupShape{});
    const fs::path patch = tmp / "group.patch";
    const CommandResult run =
        runCommand(cli() + "--json --patch " + quoted(patch) + " " + quoted(group.groupFile), tmp);
    ASSERT_EQ(run.status, 0) << run.err;
    const int files = numberAfter(run.out, "\"files\":");
    ASSERT_GT(files, 0) << run.out;
    const std::string text = readFile(patch);
    std::set<std::string> named;
    std::smatch m;
    for (auto it = text.cbegin(); std::regex_search(it, text.cend(), m, std::regex("\n--- a/([^\r\n]*)"));
         it = m[0].second)
        EXPECT_TRUE(named.insert(m[1].str()).second) << m[1] << " appears twice";
    EXPECT_EQ(static_cast<int>(named.size()), files);

    for (const std::string tool : {"git apply --whitespace=nowarn ", "patch -s -p1 --binary -i "}) {
        const fs::path tree = tmp / "tree";
        fs::remove_all(tree);
        copyTree(group.root, tree);
        const auto before = snapshot(tree);
        const CommandResult applied =
            runCommand("cd " + quoted(tree) + " && " + tool + quoted(patch), tmp);
        ASSERT_EQ(applied.status, 0) << tool << applied.out << applied.err;
        const auto after = snapshot(tree);
        int changed = 0;
        for (const auto& [path, bytes] : after) changed += before.at(path) != bytes;
        EXPECT_EQ(changed, files) << tool;
        // Every module of every working copy is its user's file now (the copies are flat: the
        // user's file is found by name below the project folder or in lib/).
        for (const auto& [path, bytes] : copies(tree)) {
            const fs::path copy(path);
            const fs::path projectFolder = copy.parent_path().parent_path();
            const std::string name = copy.filename().string();
            if (name.ends_with(".vbp") || name.ends_with(".vbw") || name.ends_with(".frx")) continue;
            const std::string own = (projectFolder / name).generic_string();
            const std::string user = after.contains(own) ? own : "lib/" + name;
            ASSERT_TRUE(after.contains(user)) << path;
            EXPECT_EQ(after.at(user), bytes) << tool << ": " << user << " differs from " << path;
        }
    }
}

// Counting with the word index and every line tested give the same copies and counters.
TEST(GroupRun, TheIndexAgreesWithTestingEveryLine) {
    TempDir tmp;
    bench::GroupShape shape;
    shape.seed = 3;
    const auto group = bench::generateProjectGroup(tmp / "g", shape);
    std::map<std::string, std::string> results[2];
    std::vector<std::array<std::int64_t, kCounterCount>> counters[2];
    for (int plain = 0; plain < 2; ++plain) {
        for (RuleSet rules : {RuleSet::Safe, RuleSet::Spec}) {
            QuietWindow window;
            Engine engine(window);
            engine.setRules(rules);
            engine.setCounting(plain ? Counting::Plain : Counting::Indexed);
            engine.intake(group.groupFile);
            ASSERT_EQ(engine.session().projects.size(), group.projects.size());
            engine.run();
            for (const auto& [path, bytes] : copies(group.root))
                results[plain][ruleSetName(rules) + path] = bytes;
            for (const ProjectState& p : engine.session().projects)
                counters[plain].push_back(p.counters);
        }
    }
    EXPECT_EQ(results[0], results[1]);
    EXPECT_EQ(counters[0], counters[1]);
}

// A run of one project gives what it gives alone, and warns of the modules it changed that
// other project files below the patch's root include.
TEST(GroupRun, AProjectRunAloneWarnsOfItsSharedModules) {
    TempDir tmp;
    const auto group = bench::generateProjectGroup(tmp / "g", bench::GroupShape{});
    const fs::path app = group.root / "apps/App02/App02.vbp";
    const CommandResult run = runCommand(cli() + "--json " + quoted(app), tmp);
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.out.find("is also part of"), std::string::npos) << run.out;
    EXPECT_EQ(run.out.find("\"projects\""), std::string::npos) << "a run of one has no list";

    // The same project alone in a folder of its own: the same copy as from its project file.
    const auto alone = copies(app.parent_path());
    RecordingWindow window;
    Engine engine(window);
    engine.intake(app.parent_path());
    engine.run();
    EXPECT_EQ(engine.session().projects.size(), 1u);
    EXPECT_EQ(copies(app.parent_path()), alone);
}

// What a group or folder may hold that names no usable project: each reported, the rest run.
TEST(GroupRun, BadEntriesAreReportedAndTheOthersGoOn) {
    TempDir tmp;
    const auto group = bench::generateProjectGroup(tmp / "g", bench::GroupShape{});
    const std::string first = group.projects[0].lexically_relative(group.root).string();
    // A missing project, one named twice (once by another spelling), one that is a folder.
    writeFile(group.root / "Bad.vbg", "VBGROUP 5.0\r\nStartupProject=" + first +
                                          "\r\nProject=nowhere\\Gone.vbp\r\nProject=.\\" + first +
                                          "\r\nProject=apps\r\n");
    RecordingWindow window;
    Engine engine(window);
    engine.intake(group.root / "Bad.vbg");
    EXPECT_EQ(engine.session().projects.size(), 1u);
    ASSERT_EQ(window.errors.size(), 2u);
    EXPECT_NE(window.errors[0].find("Error 53 ("), std::string::npos) << window.errors[0];
    EXPECT_NE(window.errors[0].find("Gone.vbp"), std::string::npos);
    EXPECT_NE(window.errors[1].find("Error 75 ("), std::string::npos) << window.errors[1];
    EXPECT_TRUE(window.runEnabled);

    // A file that is no group file.
    writeFile(group.root / "Not.vbg", "Type=Exe\r\n");
    engine.intake(group.root / "Not.vbg");
    EXPECT_NE(window.errors.back().find("Error 321 ("), std::string::npos) << window.errors.back();

    // Two projects of one folder whose modules of one name are different files: the second
    // would overwrite the first's copy, so it is left out, with both files named.
    const fs::path folder = tmp / "two";
    writeFile(folder / "A.vbp", "Type=Exe\r\nModule=Util; Util.bas\r\n");
    writeFile(folder / "Util.bas", "Attribute VB_Name = \"Util\"\r\n");
    writeFile(folder / "B.vbp", "Type=Exe\r\nModule=Util; other\\Util.bas\r\n");
    writeFile(folder / "other/Util.bas", "Attribute VB_Name = \"Util\"\r\n' other\r\n");
    const auto errors = window.errors.size();
    engine.intake(folder);
    ASSERT_EQ(window.errors.size(), errors + 1);
    const std::string& clash = window.errors.back();
    EXPECT_NE(clash.find("Error 58 ("), std::string::npos) << clash;
    EXPECT_NE(clash.find((folder / "Util.bas").string()), std::string::npos) << clash;
    EXPECT_NE(clash.find((folder / "other/Util.bas").string()), std::string::npos) << clash;
    EXPECT_EQ(engine.session().projects.size(), 1u);
    EXPECT_EQ(readFile(folder / "New_two/Util.bas"), readFile(folder / "Util.bas"));
}

}  // namespace
}  // namespace scourvane::testing
