// Files that are not what a project's files should be: entries naming a device or a pipe, a
// working copy folder that is a link to somewhere else, and links inside a reused copy. Nothing
// hangs, nothing is written outside the working copy, and each refusal names the file.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>

#include "engine/engine.h"
#include "intake/file_ops.h"
#include "support/files.h"
#include "support/recording_window.h"
#include "text/codepage.h"

namespace scourvane {
namespace {

using testing::readFile;
using testing::writeFile;

const char* kModule = "Attribute VB_Name = \"Util\"\r\nPrivate mOld As Long\r\n";

class SpecialFiles : public ::testing::Test {
  protected:
    text::ScopedCodePage cp{932};
    testing::TempDir tmp;
    fs::path project = tmp / "Sales";
    fs::path copy = project / "New_Sales";
    fs::path elsewhere = tmp / "Elsewhere";
    testing::RecordingWindow window;
    Engine engine{window};

    bool anError(const std::string& part) const {
        return std::any_of(window.errors.begin(), window.errors.end(),
                           [&](const auto& e) { return e.find(part) != std::string::npos; });
    }
};

TEST_F(SpecialFiles, DevicesAndPipesAreRefusedAndTheRunGoesOn) {
    fs::create_directories(project);
    ASSERT_EQ(::mkfifo((project / "Pipe.bas").c_str(), 0644), 0);
    writeFile(project / "Util.bas", kModule);
    writeFile(project / "Sales.vbp",
              "Module=Z; /dev/zero\r\nModule=P; Pipe.bas\r\nModule=Util; Util.bas\r\n");
    ASSERT_TRUE(engine.intake(project / "Sales.vbp"));
    EXPECT_TRUE(anError("Error 75 (通常のファイルではありません: /dev/zero)")) << window.errors[0];
    EXPECT_TRUE(anError("通常のファイルではありません: " + (project / "Pipe.bas").string()));
    EXPECT_FALSE(fs::exists(copy / "zero"));
    EXPECT_FALSE(fs::exists(copy / "Pipe.bas"));
    EXPECT_TRUE(window.runEnabled);

    window.errors.clear();
    ASSERT_TRUE(engine.run());
    // The other module is judged as ever.
    EXPECT_EQ(readFile(copy / "Util.bas"),
              testing::sjis("Attribute VB_Name = \"Util\"\r\n'<未使用> |Private mOld As Long\r\n"));
    EXPECT_EQ(engine.session().counters.get(CounterId::UnusedPrivate), 1);
}

TEST_F(SpecialFiles, AWorkingCopyThatIsALinkIsRefusedBeforeAnythingIsWritten) {
    writeFile(project / "Util.bas", kModule);
    writeFile(project / "Sales.vbp", "Module=Util; Util.bas\r\n");
    writeFile(project / "Sales.vbw", "Util = 0, 0, 0, 0, C\r\n");
    fs::create_directories(elsewhere);
    fs::create_directory_symlink(elsewhere, copy);

    ASSERT_TRUE(engine.intake(project / "Sales.vbp"));
    ASSERT_EQ(window.errors.size(), 1u);
    EXPECT_EQ(window.errors[0],
              "Error 75 (作業フォルダーがシンボリックリンクです: " + copy.string() + ")");
    EXPECT_FALSE(window.runEnabled);
    EXPECT_TRUE(fs::is_empty(elsewhere));

    // A link put in place of the copy after intake stops the run as well.
    fs::remove(copy);
    window.errors.clear();
    ASSERT_TRUE(engine.intake(project / "Sales.vbp"));
    ASSERT_TRUE(window.errors.empty());
    fs::remove_all(copy);
    fs::create_directory_symlink(elsewhere, copy);
    ASSERT_TRUE(engine.run());
    ASSERT_EQ(window.errors.size(), 1u);
    EXPECT_NE(window.errors[0].find("作業フォルダーがシンボリックリンクです"), std::string::npos);
    EXPECT_TRUE(fs::is_empty(elsewhere));
}

TEST_F(SpecialFiles, LinksInsideAReusedCopyAreReplacedNotWrittenThrough) {
    writeFile(project / "Util.bas", kModule);
    writeFile(project / "Sales.vbp", "Module=Util; Util.bas\r\n");
    writeFile(project / "Sales.vbw", "Util = 0, 0, 0, 0, C\r\n");
    writeFile(elsewhere / "Other.bas", "not the project's\r\n");
    fs::create_directories(copy);
    fs::create_symlink(elsewhere / "Other.bas", copy / "Util.bas");
    fs::create_symlink(elsewhere / "Other.bas", copy / "Sales.vbp");

    ASSERT_TRUE(engine.intake(project / "Sales.vbp"));
    ASSERT_TRUE(engine.run());
    EXPECT_TRUE(window.errors.empty()) << window.errors[0];
    EXPECT_EQ(readFile(elsewhere / "Other.bas"), "not the project's\r\n");
    EXPECT_FALSE(fs::is_symlink(copy / "Util.bas"));
    EXPECT_FALSE(fs::is_symlink(copy / "Sales.vbp"));
    EXPECT_NE(readFile(copy / "Util.bas").find("mOld"), std::string::npos);
}

// While one intake or run holds the working copy, another is refused before it writes; once the
// holder is gone (its process may simply have died), the next one goes ahead.
TEST_F(SpecialFiles, ASecondCommandOnTheSameWorkingCopyIsRefused) {
    writeFile(project / "Util.bas", kModule);
    writeFile(project / "Sales.vbp", "Module=Util; Util.bas\r\n");
    writeFile(project / "Sales.vbw", "Util = 0, 0, 0, 0, C\r\n");
    fs::create_directories(copy);
    const std::string busy =
        "Error 70 (作業フォルダーは別の処理が使用中です: " + copy.string() + ")";
    {
        files::FolderLock other(copy);
        ASSERT_TRUE(engine.intake(project / "Sales.vbp"));
        ASSERT_EQ(window.errors, std::vector<std::string>{busy});
        EXPECT_TRUE(fs::is_empty(copy));
        EXPECT_FALSE(window.runEnabled);
    }
    window.errors.clear();
    ASSERT_TRUE(engine.intake(project / "Sales.vbp"));
    ASSERT_TRUE(window.errors.empty()) << window.errors[0];
    const std::string copied = readFile(copy / "Util.bas");
    {
        files::FolderLock other(copy);
        ASSERT_TRUE(engine.run());
        ASSERT_EQ(window.errors, std::vector<std::string>{busy});
        EXPECT_EQ(readFile(copy / "Util.bas"), copied);
    }
    window.errors.clear();
    ASSERT_TRUE(engine.run());
    EXPECT_TRUE(window.errors.empty());
    EXPECT_NE(readFile(copy / "Util.bas"), copied);
}

// A process killed between writing a temporary file and renaming it leaves that file; the next
// intake removes it, and only such files.
TEST_F(SpecialFiles, TemporaryFilesOfAKilledRunAreRemovedByTheNextIntake) {
    writeFile(project / "Util.bas", kModule);
    writeFile(project / "Sales.vbp", "Module=Util; Util.bas\r\n");
    writeFile(project / "Sales.vbw", "Util = 0, 0, 0, 0, C\r\n");
    writeFile(copy / ".Util.bas.scourvane-Ab12Cd", "half");
    writeFile(copy / "Util.bas.scourvane-tmp", "half");
    writeFile(copy / "Mine.scourvane-notes", "the user's");
    writeFile(copy / ".scourvane-Ab12Cd", "the user's too");
    ASSERT_TRUE(engine.intake(project / "Sales.vbp"));
    EXPECT_FALSE(fs::exists(copy / ".Util.bas.scourvane-Ab12Cd"));
    EXPECT_FALSE(fs::exists(copy / "Util.bas.scourvane-tmp"));
    EXPECT_EQ(readFile(copy / "Mine.scourvane-notes"), "the user's");
    EXPECT_EQ(readFile(copy / ".scourvane-Ab12Cd"), "the user's too");
}

}  // namespace
}  // namespace scourvane
