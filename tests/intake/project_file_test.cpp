#include "intake/project_file.h"

#include <gtest/gtest.h>

#include "base/run_error.h"
#include "support/files.h"
#include "support/recording_window.h"

namespace scourvane {
namespace {

using testing::sjis;
using Rows = std::vector<Bytes>;

TEST(ModuleEntry, RecognisesTheThreeKindsCaseSensitivelyAtTheFirstColumn) {
    EXPECT_EQ(moduleEntry("Form=Forms\\Main.frm"), "Forms\\Main.frm");
    EXPECT_EQ(moduleEntry("Module=Tools; Lib\\Tools.bas"), "Lib\\Tools.bas");
    EXPECT_EQ(moduleEntry("Class=Order; ..\\Shared\\Order.cls"), "..\\Shared\\Order.cls");
    EXPECT_EQ(moduleEntry("form=Main.frm"), std::nullopt);
    EXPECT_EQ(moduleEntry(" Form=Main.frm"), std::nullopt);
    EXPECT_EQ(moduleEntry("Reference=*\\G{00020430-0000-0000-C000-000000000046}#2.0#0"),
              std::nullopt);
    EXPECT_EQ(moduleEntry("Object={831FDD16-0C5C-11D2-A9FC-0000F8754DA1}#2.0#0; MSCOMCTL.OCX"),
              std::nullopt);
    // Only the first "; " counts.
    EXPECT_EQ(moduleEntry("Module=A; b; c.bas"), "b; c.bas");
    // Outside the format: without "; " the file is taken right after the "=".
    EXPECT_EQ(moduleEntry("Module=Tools.bas"), "Tools.bas");
    EXPECT_EQ(moduleEntry("Form="), "");
}

TEST(ModuleTable, SortsIgnoringCaseAndKeepsEqualRowsInArrivalOrder) {
    Rows rows;
    for (const char* r : {"Zeta\\Alpha.frm", "Beta.bas", "alpha.cls", "ALPHA.cls", "Gamma.bas"})
        insertSorted(rows, r);
    EXPECT_EQ(rows, (Rows{"alpha.cls", "ALPHA.cls", "Beta.bas", "Gamma.bas", "Zeta\\Alpha.frm"}));
    // The same rows in another order give the same order but for equal rows.
    Rows again;
    for (const char* r : {"Gamma.bas", "ALPHA.cls", "Zeta\\Alpha.frm", "alpha.cls", "Beta.bas"})
        insertSorted(again, r);
    EXPECT_EQ(again, (Rows{"ALPHA.cls", "alpha.cls", "Beta.bas", "Gamma.bas", "Zeta\\Alpha.frm"}));
}

TEST(ModuleTable, FoldsOnlyLettersThatBeginACharacter) {
    text::ScopedCodePage cp(932);
    // "ア" is 83 41 and "ャ" is 83 61: the trail bytes look like "A" and "a" and must not fold,
    // so the two rows stay distinct and keep a fixed order whatever the arrival order.
    Rows a, b;
    insertSorted(a, sjis("ア.bas"));
    insertSorted(a, sjis("ャ.bas"));
    insertSorted(b, sjis("ャ.bas"));
    insertSorted(b, sjis("ア.bas"));
    EXPECT_EQ(a, b);
}

TEST(Reduction, KeepsTheFileNameAndRewritesEveryOccurrence) {
    const Bytes project =
        "Type=Exe\r\nForm=Forms\\Main.frm\r\nModule=Tools; Lib\\Tools.bas\r\n"
        "RelatedDoc=Forms\\Main.frm\r\n";
    Reduction r = reduceModulePath("Forms\\Main.frm", project);
    EXPECT_EQ(r.name, "Main.frm");
    EXPECT_EQ(
        r.projectText,
        "Type=Exe\r\nForm=Main.frm\r\nModule=Tools; Lib\\Tools.bas\r\nRelatedDoc=Main.frm\r\n");
    r = reduceModulePath("Lib\\Tools.bas", r.projectText);
    EXPECT_EQ(r.name, "Tools.bas");
    EXPECT_NE(r.projectText.find("Module=Tools; Tools.bas\r\n"), std::string::npos);
}

TEST(Reduction, TreatsSlashLikeBackslashAndNeverStopsOnATrailByte) {
    text::ScopedCodePage cp(932);
    EXPECT_EQ(reduceModulePath("a/../../b.bas", "").name, "b.bas");
    EXPECT_EQ(reduceModulePath("a\\b/c.bas", "").name, "c.bas");
    EXPECT_EQ(reduceModulePath("../Main.frm", "Form=../Main.frm").projectText, "Form=Main.frm");
    EXPECT_EQ(reduceModulePath("x\\", "").name, "");
    // "表" is 95 5C: the name is the whole "表示.frm", not what follows its trail byte.
    EXPECT_EQ(reduceModulePath(sjis("画面\\表示.frm"), "").name, sjis("表示.frm"));
    EXPECT_FALSE(hasPathSeparator(sjis("表示.frm")));
    EXPECT_TRUE(hasPathSeparator("a/b"));
}

class ProjectReader : public ::testing::Test {
  protected:
    testing::TempDir dir;
    Session session;
    testing::RecordingWindow window;
    RunContext ctx{session, window};
};

TEST_F(ProjectReader, FillsTheTableSortedAndSelectsASingleRow) {
    testing::writeFile(dir / "a.vbp", "Type=Exe\r\nForm=Zeta\\Alpha.frm\r\nModule=B; Beta.bas\r\n");
    readProjectFile(ctx, dir / "a.vbp");
    EXPECT_EQ(session.modules, (Rows{"Beta.bas", "Zeta\\Alpha.frm"}));
    EXPECT_EQ(window.selected, -1);
    EXPECT_EQ(window.progress, 0);

    testing::writeFile(dir / "b.vbp", "Class=Order; Order.cls");  // no final line break
    readProjectFile(ctx, dir / "b.vbp");
    EXPECT_EQ(session.modules, (Rows{"Order.cls"}));
    EXPECT_EQ(window.selected, 0);
}

TEST_F(ProjectReader, NoModuleLinesGiveAnEmptyTableAndMissingFileThrows) {
    session.modules = {"Old.bas"};
    testing::writeFile(dir / "empty.vbp", "Type=Exe\r\nName=\"Empty\"\r\n");
    readProjectFile(ctx, dir / "empty.vbp");
    EXPECT_TRUE(session.modules.empty());
    EXPECT_THROW(readProjectFile(ctx, dir / "missing.vbp"), RunError);
}

TEST_F(ProjectReader, MovesTheBarOncePerChangeAndYieldsPerLine) {
    std::string content;
    for (int i = 0; i < 1000; ++i) content += "Module=M; M" + std::to_string(i) + ".bas\r\n";
    testing::writeFile(dir / "p.vbp", content);
    readProjectFile(ctx, dir / "p.vbp");
    EXPECT_EQ(session.modules.size(), 1000u);
    EXPECT_EQ(window.yields, 1000);
    int progressEvents = 0, last = -1;
    bool reached100 = false;
    for (const auto& e : window.events) {
        if (e.kind != "progress") continue;
        ++progressEvents;
        EXPECT_NE(std::stoi(e.text), last) << "the same value was sent twice in a row";
        last = std::stoi(e.text);
        reached100 = reached100 || last == 100;
    }
    EXPECT_TRUE(reached100);
    EXPECT_LE(progressEvents, 102);
    EXPECT_EQ(window.progress, 0);
}

TEST_F(ProjectReader, HugeAndBinaryProjectFilesAreReadWithoutHarm) {
    text::ScopedCodePage cp(932);
    std::string content = "Form=" + std::string(1 << 20, 'x') + ".frm\r\n";
    for (int i = 0; i < 100000; ++i) content += "Line" + std::to_string(i) + "=value\r\n";
    content += std::string("Module=N; nul\0byte.bas\r\n", 24);
    content += "Class=C; \x81\x20\xFD\xFF.cls\n";  // invalid CP932
    testing::writeFile(dir / "big.vbp", content);
    readProjectFile(ctx, dir / "big.vbp");
    ASSERT_EQ(session.modules.size(), 3u);
    EXPECT_EQ(window.yields, 100003);
}

}  // namespace
}  // namespace scourvane
