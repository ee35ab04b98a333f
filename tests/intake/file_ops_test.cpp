#include "intake/file_ops.h"

#include <gtest/gtest.h>

#include "base/run_error.h"
#include "support/files.h"

namespace scourvane::files {
namespace {

using testing::readFile;
using testing::writeFile;

int errorOf(const std::function<void()>& op) {
    try {
        op();
    } catch (const RunError& e) {
        return e.number();
    }
    return 0;
}

TEST(FileOps, ErrorsCarryVisualBasicNumbersAndNameTheFile) {
    testing::TempDir dir;
    EXPECT_EQ(errorOf([&] { readAll(dir / "missing.bas"); }), 53);
    EXPECT_EQ(errorOf([&] { readAll(dir / "no/such/dir.bas"); }), 76);
    EXPECT_EQ(errorOf([&] { writeAll(dir / "no/such.bas", "x"); }), 76);
    EXPECT_EQ(errorOf([&] { readAll(dir.path()); }), 75);
    EXPECT_EQ(errorOf([&] { fileSize(dir / "missing.bas"); }), 53);
    try {
        readAll(dir / "missing.bas");
    } catch (const RunError& e) {
        EXPECT_EQ(e.boxText(),
                  "Error 53 (ファイルが見つかりません: " + display(dir / "missing.bas") + ")");
    }
}

TEST(FileOps, WriteAllReplacesWholeAndLeavesNoTemporaryFile) {
    testing::TempDir dir;
    writeAll(dir / "a.bas", "first");
    writeAll(dir / "a.bas", std::string("sec\0ond", 7));
    EXPECT_EQ(readFile(dir / "a.bas"), std::string("sec\0ond", 7));
    writeAll(dir / "a.bas", "");
    EXPECT_EQ(readFile(dir / "a.bas"), "");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
    EXPECT_EQ(fileSize(dir / "a.bas"), 0);
}

TEST(FileOps, AWriteThatFailsLeavesTheOldContentAndNoTemporaryFile) {
    testing::TempDir dir;
    writeFile(dir / "a.bas", "old content");
    setBeforeRenameHook([](const fs::path& p) {
        throw RunError(61, "ディスクの空き容量が不足しています: " + display(p));
    });
    EXPECT_EQ(errorOf([&] { writeAll(dir / "a.bas", "new content"); }), 61);
    setBeforeRenameHook(nullptr);
    EXPECT_EQ(readFile(dir / "a.bas"), "old content");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
}

TEST(FileOps, ReadOnlyDestinationsAreRefusedAndKeepTheirMode) {
    testing::TempDir dir;
    writeFile(dir / "ro.bas", "keep");
    fs::permissions(dir / "ro.bas", fs::perms::owner_read);
    EXPECT_EQ(errorOf([&] { writeAll(dir / "ro.bas", "x"); }), 70);
    EXPECT_EQ(readFile(dir / "ro.bas"), "keep");
    writeFile(dir / "exec.sh", "a");
    fs::permissions(dir / "exec.sh", fs::perms::owner_all);
    writeAll(dir / "exec.sh", "b");
    EXPECT_EQ(fs::status(dir / "exec.sh").permissions() & fs::perms::owner_all,
              fs::perms::owner_all);
}

TEST(FileOps, CopyFileCopiesEveryByteAndCreateFolderNeedsItsParent) {
    testing::TempDir dir;
    std::string bytes;
    for (int i = 0; i < 256; ++i) bytes += static_cast<char>(i);
    writeFile(dir / "src.frx", bytes);
    createFolder(dir / "New_X");
    copyFile(dir / "src.frx", dir / "New_X/src.frx");
    EXPECT_EQ(readFile(dir / "New_X/src.frx"), bytes);
    EXPECT_EQ(errorOf([&] { createFolder(dir / "a/b"); }), 76);
    EXPECT_TRUE(files::exists(dir / "New_X"));
    EXPECT_FALSE(files::exists(dir / "nothing"));
}

}  // namespace
}  // namespace scourvane::files
