#include "intake/file_ops.h"

#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <random>
#include <set>
#include <thread>
#include <vector>

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

#ifndef _WIN32

// Random writes, failed writes and refused writes under a ReuseReplacedFiles scope, against a
// model of what each name must hold: a kept file never shows through a name, a file with a
// second name is never overwritten through it, modes stay, and nothing is left when the scope
// ends.
TEST(FileOps, FilesKeptForReuseNeverShowThroughAName) {
    testing::TempDir dir;
    const std::vector<fs::path> names{dir / "a.bas", dir / "b.frm", dir / "c.cls",
                                      dir / "sub/d.bas", dir / "sub/e.bas"};
    std::map<fs::path, std::string> model;
    for (const fs::path& n : names) writeFile(n, model[n] = "start " + n.filename().string());
    fs::permissions(names[1], fs::perms::owner_all);  // a mode to keep
    fs::create_directories(dir / "other");
    fs::create_hard_link(names[2], dir / "other/link");  // c.cls has a second name
    std::mt19937 random(7);
    {
        ReuseReplacedFiles reuse(dir.path());
        for (int step = 0; step < 400; ++step) {
            const fs::path& n = names[random() % names.size()];
            std::string content(random() % 3000, '\0');
            for (char& c : content) c = static_cast<char>(random());
            const bool fail = random() % 7 == 0, readOnly = step >= 200 && n == names[4];
            if (step == 200) fs::permissions(names[4], fs::perms::owner_read);
            if (fail) setBeforeRenameHook([](const fs::path&) { throw RunError(61, "full"); });
            EXPECT_EQ(errorOf([&] { writeAll(n, content); }), readOnly ? 70 : fail ? 61 : 0);
            setBeforeRenameHook(nullptr);
            if (!fail && !readOnly) model[n] = content;
            for (const fs::path& m : names) ASSERT_EQ(readAll(m), model[m]) << step;
            ASSERT_EQ(readAll(dir / "other/link"), "start c.cls");
        }
    }
    EXPECT_EQ(fs::status(names[1]).permissions() & fs::perms::owner_all, fs::perms::owner_all);
    std::set<fs::path> left;
    for (const auto& e : fs::recursive_directory_iterator(dir.path()))
        if (e.is_regular_file()) left.insert(e.path());
    std::set<fs::path> expected(names.begin(), names.end());
    expected.insert(dir / "other/link");
    EXPECT_EQ(left, expected);
}

// A reader that opened a file just before it was replaced reads a whole content the file had,
// never the content of another file written into the kept one meanwhile.
TEST(FileOps, AReaderNeverReadsAnotherFilesContentThroughAKeptFile) {
    testing::TempDir dir;
    const fs::path a = dir / "a.bas", b = dir / "b.bas";
    auto content = [](char tag, int round) {
        return std::string(std::size_t{1} << 18, tag) + std::to_string(round);
    };
    writeFile(a, content('a', 0));
    writeFile(b, content('b', 0));
    ReuseReplacedFiles reuse(dir.path());
    std::atomic<bool> done{false};
    std::atomic<int> reads{0}, bad{0};
    std::vector<std::thread> readers;
    for (int t = 0; t < 2; ++t)
        readers.emplace_back([&] {
            while (!done) {
                const std::string text = readAll(a);
                if (text.size() < (std::size_t{1} << 18) ||
                    text.find_first_not_of('a', 0) != std::size_t{1} << 18)
                    ++bad;
                ++reads;
            }
        });
    for (int round = 1; round <= 1500; ++round) {
        writeAll(a, content('a', round));
        writeAll(b, content('b', round));
    }
    done = true;
    for (std::thread& t : readers) t.join();
    EXPECT_GT(reads, 0);
    EXPECT_EQ(bad, 0) << "of " << reads << " reads";
}

#endif

}  // namespace
}  // namespace scourvane::files
