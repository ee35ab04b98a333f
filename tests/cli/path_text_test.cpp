// Text and paths on Linux: a file name is bytes, and the terminal front end passes every byte of
// its arguments through to the file system and back into its output unchanged (Windows, where
// names are UTF-16, is checked under Wine by scripts/check-windows.sh).
#include <gtest/gtest.h>

#include <random>

#include "base/paths.h"
#include "support/files.h"

namespace scourvane {
namespace {

TEST(PathText, AnyBytesSurviveTheWayIntoAPathAndBack) {
    std::mt19937 random(20261207);
    std::uniform_int_distribution<int> length(0, 40), byte(1, 255);
    for (int i = 0; i < 2000; ++i) {
        std::string name(static_cast<std::size_t>(length(random)), '\0');
        for (char& c : name) c = static_cast<char>(byte(random));
        const std::filesystem::path p = files::fromUtf8(name);
        ASSERT_EQ(p.native(), name);
        ASSERT_EQ(files::display(p), name);
    }
}

TEST(PathText, AProjectInAFolderNamedInShiftJisBytesIsCopiedUnderThoseBytes) {
    testing::TempDir tmp;
    // "作業" as CP932 bytes: no UTF-8, as a folder unpacked from a Windows archive is named.
    const std::string folder = testing::sjis("作業");
    const std::filesystem::path project = tmp.path() / folder / "P";
    testing::writeFile(project / "P.vbp", "Module=M; M.bas\r\n");
    testing::writeFile(project / "P.vbw", "");
    testing::writeFile(project / "M.bas",
                       "Attribute VB_Name = \"M\"\r\nPrivate Sub Unused()\r\nEnd Sub\r\n");
    const std::filesystem::path report = tmp.path() / folder / "r.csv";
    const testing::CommandResult r = testing::runCommand(
        std::string(SCOURVANE_CLI_PATH) + " --json --report " + testing::quoted(report) + " " +
            testing::quoted(project / "P.vbp"),
        tmp);
    EXPECT_EQ(r.status, 0) << r.err;
    const std::string copied = testing::readFile(project / "New_P" / "M.bas");
    EXPECT_NE(copied.find(testing::sjis("'<未使用> |Private Sub Unused()")), std::string::npos)
        << copied;
    EXPECT_TRUE(std::filesystem::exists(report));
}

}  // namespace
}  // namespace scourvane
