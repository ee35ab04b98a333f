#include <gtest/gtest.h>
#include <sys/stat.h>

#include "base/run_error.h"
#include "engine/engine.h"
#include "intake/file_ops.h"
#include "intake/working_copy.h"
#include "support/files.h"
#include "support/recording_window.h"
#include "text/codepage.h"

namespace scourvane {
namespace {

using testing::readFile;
using testing::snapshot;
using testing::writeFile;
using Rows = std::vector<Bytes>;

const char* kMain =
    "VERSION 5.00\r\nBegin VB.Form Form1\r\nEnd\r\nAttribute VB_Name = \"Form1\"\r\n";
const char* kFrx = "\x01\x02\x00\xFF binary";

class Intake : public ::testing::Test {
  protected:
    testing::TempDir tmp;
    fs::path project = tmp / "Sales";
    testing::RecordingWindow window;
    Engine engine{window};

    // Everything under the temporary folder but the working copy.
    std::map<std::string, std::string> userFiles() {
        auto all = snapshot(tmp.path());
        std::erase_if(all,
                      [](const auto& kv) { return kv.first.find("New_") != std::string::npos; });
        return all;
    }
    std::vector<int> errorNumbers() const { return window.errorNumbers(); }
};

TEST_F(Intake, CopiesTheProjectFlatAndRewritesModuleEntries) {
    writeFile(project / "Sales.vbp",
              "Type=Exe\r\nForm=Forms\\Main.frm\r\nModule=Tools; Lib\\Tools.bas\r\n"
              "Class=Order; Order.cls\r\nForm=Zeta\\Alpha.frm\r\nStartup=\"Form1\"\r\n");
    writeFile(project / "Sales.vbw", "Form1 = 0, 0, 0, 0, C\r\n");
    writeFile(project / "Forms/Main.frm", kMain);
    writeFile(project / "Forms/Main.frx", std::string(kFrx, 12));
    writeFile(project / "Lib/Tools.bas", "Attribute VB_Name = \"Tools\"\r\n");
    writeFile(project / "Order.cls", "VERSION 1.0 CLASS\r\n");
    writeFile(project / "Zeta/Alpha.frm", kMain);
    writeFile(project / "Zeta/Alpha.frx", "x");
    const auto before = userFiles();

    ASSERT_TRUE(engine.intake(project / "Sales.vbp"));

    const fs::path copy = project / "New_Sales";
    EXPECT_EQ(engine.session().intake.workingCopy, copy);
    EXPECT_EQ(window.projectLabel, "Sales.vbp ﾌﾟﾛｼﾞｪｸﾄ");
    EXPECT_TRUE(window.errors.empty()) << window.errors.front();
    // Sorted by the entries as read (Forms\, Lib\, Order, Zeta\); reduction keeps the places.
    EXPECT_EQ(engine.session().modules, (Rows{"Main.frm", "Tools.bas", "Order.cls", "Alpha.frm"}));
    EXPECT_EQ(window.modules,
              (std::vector<std::string>{"Main.frm", "Tools.bas", "Order.cls", "Alpha.frm"}));
    EXPECT_EQ(readFile(copy / "Sales.vbp"),
              "Type=Exe\r\nForm=Main.frm\r\nModule=Tools; Tools.bas\r\nClass=Order; Order.cls\r\n"
              "Form=Alpha.frm\r\nStartup=\"Form1\"\r\n");
    EXPECT_EQ(readFile(copy / "Sales.vbw"), "Form1 = 0, 0, 0, 0, C\r\n");
    EXPECT_EQ(readFile(copy / "Main.frm"), kMain);
    EXPECT_EQ(readFile(copy / "Main.frx"), std::string(kFrx, 12));
    EXPECT_EQ(readFile(copy / "Alpha.frx"), "x");
    EXPECT_EQ(readFile(copy / "Tools.bas"), "Attribute VB_Name = \"Tools\"\r\n");
    EXPECT_TRUE(window.runEnabled);
    EXPECT_EQ(window.status, "");
    EXPECT_EQ(window.progress, 0);
    EXPECT_EQ(userFiles(), before);
}

TEST_F(Intake, MatchesPathComponentsIgnoringCaseAsWindowsWould) {
    writeFile(project / "Sales.VBP", "Form=FORMS\\main.FRM\r\nModule=T; lib/TOOLS.bas\r\n");
    writeFile(project / "Sales.VBW", "w");
    writeFile(project / "forms/Main.frm", kMain);
    writeFile(project / "forms/Main.frx", "frx");
    writeFile(project / "Lib/Tools.bas", "t");
    engine.intake(project / "Sales.VBP");
    const fs::path copy = project / "New_Sales";
    EXPECT_TRUE(window.errors.empty()) << window.errors.front();
    // The copies carry the names the project file gives; the .frx name ends in lower case.
    EXPECT_EQ(readFile(copy / "main.FRM"), kMain);
    EXPECT_EQ(readFile(copy / "main.frx"), "frx");
    EXPECT_EQ(readFile(copy / "TOOLS.bas"), "t");
    EXPECT_EQ(readFile(copy / "Sales.vbw"), "w");
}

TEST_F(Intake, NeverWritesOutsideTheWorkingCopy) {
    writeFile(tmp / "Main.frm", kMain);  // outside the project folder: read, never written
    writeFile(tmp / "Main.frx", "f");
    writeFile(tmp / "b.bas", "b");
    writeFile(project / "Sales.vbp",
              "Form=../Main.frm\r\nForm=..\r\nModule=X; a/../../b.bas\r\nClass=C; .\r\n"
              "Module=Y; sub\\\r\n");
    writeFile(project / "Sales.vbw", "w");
    const auto before = userFiles();
    engine.intake(project / "Sales.vbp");
    const fs::path copy = project / "New_Sales";
    EXPECT_EQ(readFile(copy / "Main.frm"), kMain);
    EXPECT_EQ(readFile(copy / "b.bas"), "b");
    // "..", "." and the empty name after "sub\" each give a bad-file-name box, not a write.
    EXPECT_EQ(errorNumbers(), (std::vector<int>{52, 52, 52}));
    EXPECT_EQ(userFiles(), before);
    EXPECT_EQ(readFile(copy / "Sales.vbp"),
              "Form=Main.frm\r\nForm=..\r\nModule=X; b.bas\r\nClass=C; .\r\nModule=Y; \r\n");

    // A run over those rows shows the box for each pass on a bad row and still writes nothing
    // outside the copy.
    window.errors.clear();
    engine.run();
    EXPECT_EQ(userFiles(), before);
}

// A form whose properties live in its .frx.
const char* kMainWithIcon =
    "VERSION 5.00\r\nBegin VB.Form Form1\r\n   Icon            =   \"Main.frx\":0000\r\nEnd\r\n"
    "Attribute VB_Name = \"Form1\"\r\n";

TEST_F(Intake, MissingFilesEachGiveTheirOwnBoxAndIntakeGoesOn) {
    writeFile(project / "Sales.vbp", "Form=Main.frm\r\nModule=M; Gone.bas\r\nClass=C; C.cls\r\n");
    writeFile(project / "Main.frm", kMainWithIcon);  // no .vbw, no .frx, no Gone.bas
    writeFile(project / "C.cls", "c");
    engine.intake(project / "Sales.vbp");
    // The workspace file is per user: a project without one is complete, and gets no box.
    EXPECT_EQ(errorNumbers(), (std::vector<int>{53, 53}));
    ASSERT_EQ(window.errors.size(), 2u);
    EXPECT_NE(window.errors[0].find("Gone.bas"), std::string::npos) << window.errors[0];
    EXPECT_NE(window.errors[1].find("Main.frx"), std::string::npos) << window.errors[1];
    EXPECT_EQ(window.errors[0].rfind("Error 53 (ファイルが見つかりません: ", 0), 0u);
    EXPECT_FALSE(fs::exists(project / "New_Sales/Sales.vbw"));
    EXPECT_EQ(readFile(project / "New_Sales/C.cls"), "c");
    EXPECT_TRUE(window.runEnabled);
}

TEST_F(Intake, AWorkspaceFileThatExistsButCannotBeCopiedShowsItsBox) {
    writeFile(project / "Sales.vbp", "Module=M; M.bas\r\n");
    writeFile(project / "M.bas", "m");
    fs::create_directory(project / "Sales.vbw");
    engine.intake(project / "Sales.vbp");
    ASSERT_EQ(window.errors.size(), 1u);
    EXPECT_NE(window.errors[0].find("Sales.vbw"), std::string::npos) << window.errors[0];
    EXPECT_EQ(readFile(project / "New_Sales/M.bas"), "m");
}

// A form without binary properties never had a .frx: nothing is missing, and no box is shown.
// One that names its .frx (in any letter case) and has none still reports it.
TEST_F(Intake, AFormThatNamesNoFrxHasNothingToCopy) {
    writeFile(project / "Sales.vbp", "Form=Plain.frm\r\nForm=Icon.frm\r\n");
    writeFile(project / "Sales.vbw", "w");
    writeFile(project / "Plain.frm", kMain);
    writeFile(project / "Icon.frm",
              "VERSION 5.00\r\nBegin VB.Form F\r\n   Icon = \"ICON.FRX\":0000\r\nEnd\r\n");
    engine.intake(project / "Sales.vbp");
    ASSERT_EQ(window.errors.size(), 1u);
    EXPECT_EQ(window.errors[0].rfind("Error 53 (ファイルが見つかりません: ", 0), 0u);
    EXPECT_NE(window.errors[0].find("Icon.frx"), std::string::npos) << window.errors[0];
    EXPECT_EQ(readFile(project / "New_Sales/Plain.frm"), kMain);
    EXPECT_FALSE(fs::exists(project / "New_Sales/Plain.frx"));
    EXPECT_TRUE(window.runEnabled);
}

TEST_F(Intake, AReadOnlyFileInAReusedCopyIsNotReplaced) {
    writeFile(project / "Sales.vbp", "Module=M; M.bas\r\n");
    writeFile(project / "Sales.vbw", "w");
    writeFile(project / "M.bas", "new");
    writeFile(project / "New_Sales/M.bas", "old");
    writeFile(project / "New_Sales/Mine.txt", "only in the copy");
    fs::permissions(project / "New_Sales/M.bas", fs::perms::owner_read | fs::perms::group_read);
    engine.intake(project / "Sales.vbp");
    EXPECT_EQ(errorNumbers(), (std::vector<int>{70}));
    EXPECT_EQ(readFile(project / "New_Sales/M.bas"), "old");
    EXPECT_EQ(readFile(project / "New_Sales/Mine.txt"), "only in the copy");
    EXPECT_EQ(readFile(project / "New_Sales/Sales.vbw"), "w");
}

TEST_F(Intake, AFileWhereTheCopyShouldBeFailsEveryCopyWithABox) {
    writeFile(project / "Sales.vbp", "Module=M; M.bas\r\n");
    writeFile(project / "Sales.vbw", "w");
    writeFile(project / "M.bas", "m");
    writeFile(project / "New_Sales", "a file");
    const auto before = userFiles();
    engine.intake(project / "Sales.vbp");
    // Project file, workspace, reader, read of the text, module: each reports; the writer is
    // skipped without a text to write.
    EXPECT_GE(window.errors.size(), 4u);
    for (int n : errorNumbers()) EXPECT_EQ(n, 76);
    EXPECT_EQ(readFile(project / "New_Sales"), "a file");
    EXPECT_EQ(userFiles(), before);
    EXPECT_TRUE(window.runEnabled);
}

TEST_F(Intake, RefusesAPathThatIsNoFileBeforeMakingAnything) {
    engine.intake(tmp / "nothing.vbp");
    EXPECT_EQ(errorNumbers(), (std::vector<int>{53}));
    // A folder is taken as the projects below it; one without any is refused as well.
    fs::create_directories(project);
    engine.intake(project);
    EXPECT_EQ(errorNumbers(), (std::vector<int>{53, 53}));
    EXPECT_NE(window.errors.back().find("(.vbp)"), std::string::npos);
    EXPECT_FALSE(engine.session().intake.loaded);
    EXPECT_FALSE(window.runEnabled);
    EXPECT_FALSE(fs::exists(tmp / "New_" / ""));
    EXPECT_EQ(std::distance(fs::directory_iterator(tmp.path()), fs::directory_iterator()), 1);
}

TEST_F(Intake, AProjectWithoutModulesGivesAnEmptyTableAndNoBox) {
    writeFile(project / "Sales.vbp", "Type=Exe\r\nName=\"Empty\"\r\n");
    writeFile(project / "Sales.vbw", "");
    engine.intake(project / "Sales.vbp");
    EXPECT_TRUE(window.errors.empty());
    EXPECT_TRUE(engine.session().modules.empty());
    EXPECT_EQ(readFile(project / "New_Sales/Sales.vbp"), "Type=Exe\r\nName=\"Empty\"\r\n");
}

TEST_F(Intake, TwoEntriesWithTheSameFileNameGiveTwoRowsAndTheLaterCopyWins) {
    writeFile(project / "Sales.vbp", "Module=A; a\\M.bas\r\nModule=B; b\\M.bas\r\n");
    writeFile(project / "Sales.vbw", "");
    writeFile(project / "a/M.bas", "from a");
    writeFile(project / "b/M.bas", "from b");
    engine.intake(project / "Sales.vbp");
    EXPECT_EQ(engine.session().modules, (Rows{"M.bas", "M.bas"}));
    EXPECT_EQ(readFile(project / "New_Sales/M.bas"), "from b");
}

TEST_F(Intake, IsIgnoredWhileAnotherCommandIsUnderWay) {
    writeFile(project / "Sales.vbp", "Module=M; M.bas\r\n");
    writeFile(project / "Sales.vbw", "");
    writeFile(project / "M.bas", "m");
    writeFile(tmp / "Other/Other.vbp", "Module=O; O.bas\r\n");
    int nested = 0;
    window.onYield = [&] {
        if (nested++ == 0) {
            EXPECT_FALSE(engine.intake(tmp / "Other/Other.vbp"));
            EXPECT_FALSE(engine.run());
        }
        return true;
    };
    EXPECT_TRUE(engine.intake(project / "Sales.vbp"));
    EXPECT_EQ(engine.session().modules, (Rows{"M.bas"}));
    EXPECT_FALSE(fs::exists(tmp / "Other/New_Other"));
}

TEST_F(Intake, ClosingUnwindsAtTheNextYieldAndLeavesFilesWhole) {
    writeFile(project / "Sales.vbp", "Module=M; M.bas\r\nModule=N; N.bas\r\n");
    writeFile(project / "Sales.vbw", "");
    window.onYield = [] { return false; };
    EXPECT_FALSE(engine.intake(project / "Sales.vbp"));
    EXPECT_EQ(readFile(project / "New_Sales/Sales.vbp"), readFile(project / "Sales.vbp"));
    EXPECT_TRUE(window.errors.empty());
}

TEST(SplitProjectPath, NamesTheCopyAfterTheProjectFolder) {
    IntakeState s = splitProjectPath("/work/Sales/Sales.vbp");
    EXPECT_EQ(s.projectFolder, fs::path("/work/Sales"));
    EXPECT_EQ(s.folderName, "Sales");
    EXPECT_EQ(s.projectFileName, "Sales.vbp");
    EXPECT_EQ(s.workingCopy, fs::path("/work/Sales/New_Sales"));
    // Picked inside a working copy, the new copy nests.
    EXPECT_EQ(splitProjectPath("/work/Sales/New_Sales/Sales.vbp").workingCopy,
              fs::path("/work/Sales/New_Sales/New_New_Sales"));
    // At the root the folder name is empty.
    IntakeState root = splitProjectPath("/Sales.vbp");
    EXPECT_EQ(root.folderName, "");
    EXPECT_EQ(root.workingCopy, fs::path("/New_"));
}

TEST(WorkingCopyFile, AcceptsOnlyBareFileNames) {
    const fs::path wc = "/w/New_S";
    EXPECT_EQ(workingCopyFile(wc, "Main.frm"), fs::path("/w/New_S/Main.frm"));
    for (const char* bad : {"", ".", "..", "a/b", "a\\b", "/etc"}) {
        try {
            workingCopyFile(wc, bad);
            ADD_FAILURE() << "accepted " << bad;
        } catch (const RunError& e) {
            EXPECT_EQ(e.number(), 52) << bad;
        }
    }
}

}  // namespace
}  // namespace scourvane

namespace scourvane {
namespace {

TEST_F(Intake, FindsFilesNamedInTheCodePagesOwnBytes) {
    text::ScopedCodePage cp(932);
    // As a Windows archive unpacks on Linux: the names are CP932 bytes, not UTF-8. "ソ" is 83 5C,
    // so the folder's name holds a byte that looks like "\".
    const std::string folder = testing::sjis("ソフト");
    const std::string module = testing::sjis("表示.frm");
    writeFile(project / "Sales.vbp", "Form=" + folder + "\\" + module + "\r\n");
    writeFile(project / "Sales.vbw", "");
    writeFile(project / folder / module, kMain);
    writeFile(project / folder / testing::sjis("表示.frx"), "frx");
    engine.intake(project / "Sales.vbp");
    EXPECT_TRUE(window.errors.empty()) << window.errors.front();
    // The copy carries the UTF-8 name, as every file the tool writes.
    EXPECT_EQ(readFile(project / "New_Sales/表示.frm"), kMain);
    EXPECT_EQ(readFile(project / "New_Sales/表示.frx"), "frx");
    EXPECT_EQ(readFile(project / "New_Sales/Sales.vbp"), "Form=" + module + "\r\n");
}

TEST(ResolveEntry, FollowsBothSeparatorsAndAbsoluteEntries) {
    testing::TempDir tmp;
    testing::writeFile(tmp / "P/Lib/Tools.bas", "t");
    testing::writeFile(tmp / "Shared/Order.cls", "o");
    const fs::path folder = tmp / "P";
    EXPECT_EQ(resolveEntry(folder, "Lib\\Tools.bas"), folder / "Lib/Tools.bas");
    EXPECT_EQ(resolveEntry(folder, "lib/./TOOLS.BAS"), folder / "Lib/Tools.bas");
    EXPECT_EQ(resolveEntry(folder, "..\\Shared\\Order.cls"), tmp / "Shared/Order.cls");
    const std::string absolute = (tmp / "Shared/Order.cls").string();
    EXPECT_EQ(resolveEntry(folder, absolute), tmp / "Shared/Order.cls");
    // A name that matches nothing is kept as written, so the error names it.
    EXPECT_EQ(resolveEntry(folder, "Lib\\Gone.bas"), folder / "Lib/Gone.bas");
#ifndef _WIN32
    try {
        resolveEntry(folder, "C:\\Work\\Order.cls");
        ADD_FAILURE() << "a drive letter was resolved on a system without drives";
    } catch (const RunError& e) {
        EXPECT_EQ(e.number(), 76);
        EXPECT_NE(e.description().find("C:\\Work\\Order.cls"), std::string::npos);
    }
#endif
}

}  // namespace
}  // namespace scourvane
