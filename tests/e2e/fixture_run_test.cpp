// Intake and detection run on whole VB6 projects, compared byte for byte with a working copy
// derived by hand beside each fixture (tests/fixtures/<name>/NOTES.md says why each line is
// what it is).
#include <gtest/gtest.h>

#include "e2e/fixture_files.h"
#include "engine/engine.h"
#include "intake/file_ops.h"
#include "support/files.h"
#include "support/recording_window.h"
#include "text/codepage.h"
#include "text/convert.h"

namespace scourvane::testing {
namespace {

struct FixtureCase {
    std::string name;                  // folder under tests/fixtures
    std::string source;                // the user's project folder, relative to the repository
    std::string folder;                // the name of the folder the user keeps it in
    std::string projectFile;           // the project file in that folder
    std::vector<std::string> modules;  // ListModules after intake, in processing order
};

std::ostream& operator<<(std::ostream& os, const FixtureCase& c) {
    return os << c.name;
}

const FixtureCase kCases[] = {
    {"sales",
     "examples/Sales",
     "Sales",
     "Sales.vbp",
     {"clsOrder.cls", "frmMain.frm", "modUtil.bas"}},
    {"road", "tests/fixtures/road/project", "Road", "Road.vbp", {"Main.frm"}},
    // Sorted by the entry as read: "Common\modCommon.bas" stays before frmInvoice.frm after
    // its reduction to modCommon.bas.
    {"crossmodule",
     "tests/fixtures/crossmodule/project",
     "Billing",
     "Billing.vbp",
     {"clsTax.cls", "modCommon.bas", "frmInvoice.frm", "modReport.bas"}},
    // Japanese folder, project and module names; "ソート.bas" and "共通\表計算.bas" hold the
    // byte of "\" as the trail byte of ソ and 表.
    {"japanese",
     "tests/fixtures/japanese/project",
     "受注管理",
     "受注.vbp",
     {"frm注文.frm", "ソート.bas", "表計算.bas"}},
};

class E2eFixture : public ::testing::TestWithParam<FixtureCase> {
  protected:
    TempDir tmp;
    RecordingWindow window;
    Engine engine{window};

    // The expected copies were derived from the specified rules.
    E2eFixture() { engine.setRules(RuleSet::Spec); }

    fs::path fixtureDir() const { return sourceDir() / "tests/fixtures" / GetParam().name; }
    fs::path userFolder() const { return tmp.path() / GetParam().folder; }
    fs::path workingCopy() const { return userFolder() / ("New_" + GetParam().folder); }

    std::map<std::string, std::string> userFiles() const {
        auto files = snapshot(userFolder());
        const std::string copyPrefix = "New_" + GetParam().folder + "/";
        std::erase_if(files, [&](const auto& f) { return f.first.rfind(copyPrefix, 0) == 0; });
        return files;
    }

    void intakeAndRun() {
        copyProject(sourceDir() / GetParam().source, userFolder());
        ASSERT_FALSE(userFiles().empty());
        ASSERT_TRUE(engine.intake(userFolder() / GetParam().projectFile));
        ASSERT_TRUE(engine.run());
    }

    void expectErrors() const {
        std::vector<std::pair<int, std::string>> expected;
        if (fs::exists(fixtureDir() / "expected-errors.txt"))
            expected = readErrorFile(fixtureDir() / "expected-errors.txt");
        std::vector<std::string> unexpected;
        std::size_t matched = 0;
        for (const Event& e : window.events) {
            if (e.kind != "error") continue;
            bool ok = matched < expected.size() && e.id == expected[matched].first &&
                      e.text.ends_with(expected[matched].second);
            if (ok)
                ++matched;
            else
                unexpected.push_back(errorBoxText(e.id, e.text));
        }
        EXPECT_TRUE(unexpected.empty()) << ::testing::PrintToString(unexpected);
        EXPECT_EQ(matched, expected.size())
            << "error boxes seen: " << ::testing::PrintToString(window.errors);
    }
};

TEST_P(E2eFixture, OneRunGivesTheExpectedWorkingCopyAndCounters) {
    const auto before = [&] {
        copyProject(sourceDir() / GetParam().source, userFolder());
        return userFiles();
    }();
    ASSERT_TRUE(engine.intake(userFolder() / GetParam().projectFile));
    EXPECT_EQ(window.modules, GetParam().modules);
    EXPECT_EQ(engine.session().intake.workingCopy, workingCopy());
    ASSERT_TRUE(engine.run());

    EXPECT_TRUE(sameTree(fixtureDir() / "expected", workingCopy()));
    const CounterValues expected = readCounterFile(fixtureDir() / "expected-counters.txt");
    EXPECT_EQ(counterValues(engine.session().counters), expected);
    expectErrors();

    // The window shows the totals, the last module stays selected and the end message stays.
    const std::pair<CounterId, const char*> labels[] = {
        {CounterId::Dim, "dim"},         {CounterId::UnusedDim, "unused_dim"},
        {CounterId::Private, "private"}, {CounterId::UnusedPrivate, "unused_private"},
        {CounterId::Public, "public"},   {CounterId::UnusedPublic, "unused_public"}};
    for (const auto& [id, key] : labels)
        EXPECT_EQ(window.label(id), std::to_string(expected.at(key))) << key;
    EXPECT_EQ(window.selected, static_cast<int>(GetParam().modules.size()) - 1);
    EXPECT_EQ(window.status, "終了しました。新ﾌﾟﾛｼﾞｪｸﾄは\r\n" + files::display(workingCopy()) +
                                 "\r\nに作成しました。");
    EXPECT_EQ(window.progress, 0);
    EXPECT_FALSE(window.busy);

    // The user's own project is only read.
    EXPECT_EQ(userFiles(), before);
}

// The window's second click: no new intake, every pass again on the copy as the first run left
// it, marker comments included. What the first run's markers and demotions hide from the
// second is in each fixture's NOTES.md.
TEST_P(E2eFixture, ASecondRunStartsFromTheMarkedCopy) {
    intakeAndRun();
    const auto before = userFiles();
    window.events.clear();
    window.errors.clear();
    ASSERT_TRUE(engine.run());

    const fs::path second = fixtureDir() / "expected-second-run";
    EXPECT_TRUE(sameTree(fs::exists(second) ? second : fixtureDir() / "expected", workingCopy()));
    EXPECT_EQ(counterValues(engine.session().counters),
              readCounterFile(fixtureDir() / "expected-counters-second-run.txt"));
    EXPECT_TRUE(window.errors.empty()) << ::testing::PrintToString(window.errors);
    EXPECT_EQ(userFiles(), before);
}

// A second intake of the same project over the copy that a run has marked: every file of the
// project is copied again from the user's folder, so the next run gives the first run's result.
TEST_P(E2eFixture, ANewIntakeOverAMarkedCopyStartsAfresh) {
    intakeAndRun();
    ASSERT_TRUE(engine.intake(userFolder() / GetParam().projectFile));
    ASSERT_TRUE(engine.run());
    EXPECT_TRUE(sameTree(fixtureDir() / "expected", workingCopy()));
    EXPECT_EQ(counterValues(engine.session().counters),
              readCounterFile(fixtureDir() / "expected-counters.txt"));
}

INSTANTIATE_TEST_SUITE_P(E2e, E2eFixture, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return info.param.name; });

// The sample project is what the README's run command opens: it must stay CP932 with CR LF, as
// VB6 writes it, or a run on it would not show what a user's project gives.
TEST(E2eSample, IsCodePage932WithCrLf) {
    for (const auto& entry : fs::recursive_directory_iterator(sourceDir() / "examples/Sales")) {
        if (!entry.is_regular_file()) continue;
        const std::string name = entry.path().filename().string();
        if (name.rfind("New_", 0) == 0 || entry.path().string().find("/New_") != std::string::npos)
            continue;
        const std::string ext = entry.path().extension().string();
        if (ext == ".frx") continue;
        const std::string content = readFile(entry.path());
        ASSERT_FALSE(content.empty()) << entry.path();
        EXPECT_TRUE(content.ends_with("\r\n")) << entry.path();
        for (std::size_t i = 0; i < content.size(); ++i) {
            if (content[i] == '\n') {
                ASSERT_TRUE(i > 0 && content[i - 1] == '\r') << entry.path() << " byte " << i;
            }
        }
        EXPECT_TRUE(text::toUtf8Exact(content, text::CodePage::get(932)).has_value())
            << entry.path();
    }
}

}  // namespace
}  // namespace scourvane::testing
