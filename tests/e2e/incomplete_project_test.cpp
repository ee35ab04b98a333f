// Projects that name a file that can hold code and is missing. Under the safe rules such a file
// is reported once (by intake), the Dim and Private passes of the other modules find exactly
// what they find in the complete project, and no Public declaration is judged, since the
// missing code may use any of them; one warning names the files. Checked as a property of the
// fixtures and of hostile projects against their complete selves, then for a group and through
// the terminal program's outputs.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <random>
#include <set>
#include <tuple>

#include "base/session.h"
#include "e2e/fixture_files.h"
#include "engine/engine.h"
#include "support/files.h"
#include "support/hostile_project.h"
#include "support/recording_window.h"
#include "text/codepage.h"
#include "text/convert.h"

namespace scourvane::testing {
namespace {

struct Judged {
    std::vector<Finding> findings;
    Counters counters;
    std::vector<std::string> errors, warnings;
    std::string status;
    std::vector<Bytes> modules;
    std::vector<std::pair<Bytes, fs::path>> sources;
    std::map<std::string, std::string> copy;
};

Judged judge(const fs::path& chosen) {
    RecordingWindow window;
    Engine engine(window);
    EXPECT_TRUE(engine.intake(chosen));
    EXPECT_TRUE(engine.run());
    const Session& s = engine.session();
    return {s.findings, s.counters,      window.errors, s.warnings,
            window.status, s.modules, s.moduleSources,
            snapshot(s.intake.workingCopy)};
}

bool publicRule(Rule r) { return r == Rule::UnusedPublic || r == Rule::PublicToPrivate; }

using Key = std::tuple<Bytes, int, Bytes, std::int64_t, std::int64_t, Bytes>;

// The Dim and Private findings, leaving out those of the module `except`.
std::vector<Key> localFindings(const Judged& j, const Bytes& except = {}) {
    std::vector<Key> out;
    for (const Finding& f : j.findings)
        if (!publicRule(f.rule) && f.module != except)
            out.emplace_back(f.module, static_cast<int>(f.rule), f.name, f.firstLine, f.lastLine,
                             f.text);
    return out;
}

std::size_t mentioning(const std::vector<std::string>& texts, const std::string& part) {
    return std::count_if(texts.begin(), texts.end(),
                         [&](const std::string& t) { return t.find(part) != std::string::npos; });
}

// What must hold of the incomplete run `in` against the complete run `whole`, `missing` being
// the file the incomplete project lacks (a row of its module table or a designer).
// Error texts with the project's folder written as "<P>".
std::vector<std::string> relative(std::vector<std::string> errors, const fs::path& folder) {
    for (std::string& e : errors)
        for (std::size_t at; (at = e.find(folder.string())) != std::string::npos;)
            e.replace(at, folder.string().size(), "<P>");
    return errors;
}

void expectLeftAlone(const Judged& whole, const fs::path& wholeFolder, const Judged& in,
                     const fs::path& inFolder, const Bytes& missing, bool isRow) {
    const std::string shown = text::toUtf8(missing);
    EXPECT_EQ(mentioning(in.errors, shown + ")"), 1u) << "reported once";
    std::vector<std::string> others = in.errors;
    std::erase_if(others, [&](const std::string& e) { return e.find(shown + ")") != e.npos; });
    EXPECT_EQ(relative(others, inFolder), relative(whole.errors, wholeFolder));
    EXPECT_EQ(localFindings(in), localFindings(whole, isRow ? missing : Bytes{}));
    EXPECT_EQ(std::count_if(in.findings.begin(), in.findings.end(),
                            [](const Finding& f) { return publicRule(f.rule); }),
              0);
    EXPECT_EQ(in.counters.get(CounterId::UnusedPublic), 0);
    ASSERT_EQ(mentioning(in.warnings, "names files that are missing: "), 1u);
    EXPECT_EQ(mentioning(in.warnings, shown), 1u);
    // The first files are named, then how many more there are.
    const auto line = in.status.find("\r\n注意: ﾌｧｲﾙがありません (");
    ASSERT_NE(line, std::string::npos) << in.status;
    EXPECT_TRUE(in.status.find(shown, line) != std::string::npos ||
                in.status.find(" 個)", line) != std::string::npos)
        << in.status;
    // A module in which the complete run decided no Public declaration is the same bytes.
    for (const Bytes& row : in.modules) {
        if (row == missing) continue;
        const bool decided = std::any_of(whole.findings.begin(), whole.findings.end(),
                                         [&](const Finding& f) {
                                             return f.module == row && publicRule(f.rule);
                                         });
        const auto a = whole.copy.find(row), b = in.copy.find(row);
        if (decided || a == whole.copy.end() || b == in.copy.end()) continue;
        EXPECT_EQ(a->second, b->second) << row;
    }
    // A file two rows name is judged twice, the second time with what the first demoted.
    if (isRow || std::set<Bytes>(in.modules.begin(), in.modules.end()).size() != in.modules.size())
        return;
    // Nothing but the Public decisions is missing: the counters say so exactly.
    std::int64_t demoted = 0;
    for (const Finding& f : whole.findings) demoted += f.rule == Rule::PublicToPrivate;
    for (CounterId id : {CounterId::Dim, CounterId::UnusedDim, CounterId::UnusedPrivate})
        EXPECT_EQ(in.counters.get(id), whole.counters.get(id));
    EXPECT_EQ(in.counters.get(CounterId::Private), whole.counters.get(CounterId::Private) - demoted);
    EXPECT_EQ(in.counters.get(CounterId::Public), whole.counters.get(CounterId::Public) + demoted);
}

class IncompleteProjects : public ::testing::Test {
  protected:
    text::ScopedCodePage cp{932};
    TempDir tmp;
};

TEST_F(IncompleteProjects, AMissingModuleOrDesignerLeavesThePublicsAndNothingElse) {
    // The project folders (each made twice, so that one can lose a file) and the project file.
    struct Case {
        std::string name;
        std::function<fs::path(const fs::path&)> make;
    };
    std::vector<Case> cases;
    for (const char* fixture : {"examples/Sales", "tests/fixtures/crossmodule/project",
                                "tests/fixtures/japanese/project", "tests/fixtures/road/project"})
        cases.push_back({fs::path(fixture).parent_path().filename().string(),
                         [fixture](const fs::path& to) {
                             copyProject(sourceDir() / fixture, to);
                             for (const auto& e : fs::directory_iterator(to))
                                 if (e.path().extension() == ".vbp") return e.path();
                             return fs::path();
                         }});
    for (std::uint32_t seed = 1; seed <= 12; ++seed)
        cases.push_back({"hostile" + std::to_string(seed), [seed](const fs::path& to) {
                             return generateHostileProject(to, seed).projectFile;
                         }});
    std::mt19937 random(20261208);
    std::size_t publicDecisions = 0, modulesTaken = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path wholeFolder = tmp / "whole" / c.name;
        const Judged whole = judge(c.make(wholeFolder));
        for (const Finding& f : whole.findings) publicDecisions += publicRule(f.rule);

        // A module: a row copied from one file of the project's folder that no other row names.
        std::vector<std::size_t> candidates;
        for (std::size_t i = 0; i < whole.sources.size(); ++i) {
            const auto& [row, file] = whole.sources[i];
            const auto rows = std::count(whole.modules.begin(), whole.modules.end(), row);
            const auto copies = std::count_if(whole.sources.begin(), whole.sources.end(),
                                              [&](const auto& s) { return s.first == row; });
            if (rows == 1 && copies == 1 && file.string().starts_with(wholeFolder.string()))
                candidates.push_back(i);
        }
        if (!candidates.empty()) {
            const auto& [row, file] = whole.sources[candidates[random() % candidates.size()]];
            const fs::path lessFolder = tmp / "less" / c.name;
            const fs::path lessProject = c.make(lessFolder);
            fs::remove(lessFolder / file.lexically_relative(wholeFolder));
            SCOPED_TRACE("without " + std::string(row));
            expectLeftAlone(whole, wholeFolder, judge(lessProject), lessFolder, row, true);
            ++modulesTaken;
        }

        // A designer the project file names and that is not there.
        const fs::path designerFolder = tmp / "designer" / c.name;
        const fs::path designerProject = c.make(designerFolder);
        writeFile(designerProject, readFile(designerProject) + "\r\nDesigner=Gone.Dsr\r\n");
        SCOPED_TRACE("without its designer");
        expectLeftAlone(whole, wholeFolder, judge(designerProject), designerFolder, "Gone.Dsr",
                        false);
    }
    EXPECT_GT(publicDecisions, 0u) << "the complete projects must decide some Public";
    EXPECT_GE(modulesTaken, cases.size() * 3 / 4);
}

// In a group, a module that an incomplete project includes keeps its Public declarations; the
// modules only complete projects include are judged as ever. Missing binary and workspace
// files change nothing.
TEST_F(IncompleteProjects, InAGroupOnlyTheModulesOfTheIncompleteProjectAreLeft) {
    writeFile(tmp / "lib/Lib.bas",
              "Attribute VB_Name = \"Lib\"\r\nPublic Function Shared1() As Long\r\nEnd Function\r\n");
    writeFile(tmp / "A/A.vbp", "Type=Exe\r\nModule=Lib; ..\\lib\\Lib.bas\r\nModule=Own; Own.bas\r\n"
                               "Form=Main.frm\r\nDesigner=dsrA.Dsr\r\n");
    writeFile(tmp / "A/Own.bas", "Attribute VB_Name = \"Own\"\r\nPublic Sub OnlyHere()\r\nEnd Sub\r\n"
                                 "Public Sub ForTheReport()\r\nEnd Sub\r\n");
    // A designer's code counts as a use, and nothing in it is judged.
    writeFile(tmp / "A/dsrA.Dsr",
              "VERSION 5.00\r\nBegin {78E93846-85FD-11D0-8487-00A0C90DC8A9} dsrA\r\nEnd\r\n"
              "Attribute VB_Name = \"dsrA\"\r\nPrivate mNothing As Long\r\n"
              "Private Sub DataReport_Initialize()\r\n    ForTheReport\r\nEnd Sub\r\n");
    // A form that names a binary file that is not there, and no workspace file.
    writeFile(tmp / "A/Main.frm", "VERSION 5.00\r\nBegin VB.Form Main\r\n   Picture = \"Main.frx\":0000\r\n"
                                  "End\r\nAttribute VB_Name = \"Main\"\r\n");
    writeFile(tmp / "B/B.vbp",
              "Type=Exe\r\nModule=Lib; ..\\lib\\Lib.bas\r\nForm=Gone.frm\r\n");
    writeFile(tmp / "All.vbg", "VBGROUP 5.0\r\nStartupProject=A\\A.vbp\r\nProject=B\\B.vbp\r\n");

    const Judged j = judge(tmp / "All.vbg");
    EXPECT_EQ(mentioning(j.errors, "Gone.frm)"), 1u);
    EXPECT_EQ(mentioning(j.errors, "Main.frx)"), 1u);
    EXPECT_EQ(j.errors.size(), 2u);
    std::vector<std::string> decided;
    for (const Finding& f : j.findings)
        if (publicRule(f.rule)) decided.push_back(std::string(f.module) + "." + std::string(f.name));
    EXPECT_EQ(decided, std::vector<std::string>{"Own.bas.OnlyHere"});
    EXPECT_EQ(readFile(tmp / "A/New_A/dsrA.Dsr"), readFile(tmp / "A/dsrA.Dsr"));
    ASSERT_EQ(j.warnings.size(), 1u);
    EXPECT_EQ(j.warnings[0],
              "B.vbp names files that are missing: Gone.frm; their code may use any Public "
              "declaration, so no Public declaration of a module this project includes was "
              "judged");
}

// The terminal program: the intake's one error line, then the warning on stderr, in the JSON
// and in every report.
TEST_F(IncompleteProjects, TheTerminalAndEveryReportCarryTheWarning) {
    copyProject(sourceDir() / "tests/fixtures/crossmodule/project", tmp / "P");
    fs::path project;
    for (const auto& e : fs::directory_iterator(tmp / "P"))
        if (e.path().extension() == ".vbp") project = e.path();
    writeFile(project, readFile(project) + "\r\nDesigner=dsrGone.Dsr\r\n");
    const CommandResult r = runCommand(
        quoted(fs::path(SCOURVANE_CLI_PATH)) + " --quiet --json --report " +
            quoted(tmp / "r.html") + " --report " + quoted(tmp / "r.sarif") + " " + quoted(project),
        tmp);
    EXPECT_EQ(r.status, 1);  // an error was shown
    EXPECT_EQ(mentioning({r.err}, "dsrGone.Dsr)"), 1u);
    std::size_t errorLines = 0;
    for (std::size_t at = 0; (at = r.err.find("Error ", at)) != std::string::npos; ++at) ++errorLines;
    EXPECT_EQ(errorLines, 1u) << r.err;
    const std::string warning = "names files that are missing: dsrGone.Dsr; their code may use";
    EXPECT_NE(r.err.find("scourvane-cli: warning: "), std::string::npos) << r.err;
    EXPECT_NE(r.out.find("\"warnings\":[\"" + project.filename().string() + " " + warning),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("\"unused_public\":0"), std::string::npos) << r.out;
    EXPECT_NE(readFile(tmp / "r.html").find(warning), std::string::npos);
    const std::string sarif = readFile(tmp / "r.sarif");
    const auto at = sarif.find(warning);
    ASSERT_NE(at, std::string::npos);
    EXPECT_NE(sarif.rfind("{\"level\":\"warning\"", at), std::string::npos);
}

}  // namespace
}  // namespace scourvane::testing
