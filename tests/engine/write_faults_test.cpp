// A write that fails at any point of a run, and the run goes on as the reference counting's
// run does with the same failure: same files, same status texts, counter labels and error
// boxes. Each time the error box names the file and the number, no temporary file is left, and
// the file keeps its old content.
// - The n-th write of the run fails (as a full disk would, after the temporary file was written
//   and before it replaces the file), for every n. Under the specified rules both countings
//   write alike, so they must agree write for write.
// - Under the safe rules the prepared passes of a module are written at once, so the n-th
//   write is not the same write in both. There every write to one file fails (a read-only or
//   locked file), for every file; and a single failed write (for every n) loses nothing: no
//   box, or one, and without a box the copy is the clean run's.
#include <gtest/gtest.h>

#include <atomic>

#include "base/run_error.h"
#include "engine/engine.h"
#include "intake/file_ops.h"
#include "support/files.h"
#include "support/recording_window.h"
#include "text/codepage.h"

namespace scourvane::testing {
namespace {

std::atomic<int> writes{0};
std::atomic<int> failAt{0};
std::string failedFile;
std::string lockedFile;  // every write to a file of this name fails

void failNthWrite(const fs::path& destination) {
    ++writes;
    const bool locked = !lockedFile.empty() && destination.filename().string() == lockedFile;
    if (writes != failAt && !locked) return;
    failedFile = destination.filename().string();
    throw RunError(err::kDiskFull,
                   "ディスクの空き容量が不足しています: " + files::display(destination));
}

struct Result {
    std::map<std::string, std::string> files;
    std::vector<Event> events;
    int writes = 0;
};

Result runWithFault(const fs::path& folder, Counting counting, int n, RuleSet rules,
                    const std::string& locked = "") {
    fs::remove_all(folder);
    copyTree(sourceDir() / "examples/Sales", folder);
    RecordingWindow window;
    Engine engine(window);
    engine.setCounting(counting);
    engine.setRules(rules);
    EXPECT_TRUE(engine.intake(folder / "Sales.vbp"));
    window.events.clear();
    writes = 0;
    failAt = n;
    lockedFile = locked;
    failedFile.clear();
    files::setBeforeRenameHook(failNthWrite);
    EXPECT_TRUE(engine.run());
    files::setBeforeRenameHook(nullptr);
    lockedFile.clear();
    Result r;
    r.writes = writes;
    r.files = snapshot(folder / "New_Sales");
    for (const Event& e : window.events)
        if (e.kind == "status" || e.kind == "counter" || e.kind == "error") r.events.push_back(e);
    return r;
}

int errorBoxes(const Result& r, const std::string& file) {
    int boxes = 0;
    for (const Event& e : r.events) {
        if (e.kind != "error") continue;
        ++boxes;
        EXPECT_EQ(e.id, err::kDiskFull);
        EXPECT_NE(e.text.find(file), std::string::npos) << e.text;
    }
    for (const auto& [name, content] : r.files)
        EXPECT_EQ(name.find(".scourvane-"), std::string::npos) << name;
    return boxes;
}

TEST(WriteFaults, AnyFailedWriteLeavesWholeFilesAndTheRunGoesOnAsTheReferenceDoes) {
    text::ScopedCodePage cp(932);
    TempDir tmp;
    const fs::path folder = tmp / "Sales";
    for (const RuleSet rules : {RuleSet::Spec, RuleSet::Safe}) {
        SCOPED_TRACE(ruleSetName(rules));
        const Result clean = runWithFault(folder, Counting::Indexed, 0, rules);
        ASSERT_GE(clean.writes, 3);  // the fixture's three modules each change
        for (int n = 1; n <= clean.writes; ++n) {
            SCOPED_TRACE("write " + std::to_string(n));
            const Result plain = runWithFault(folder, Counting::Plain, n, rules);
            const std::string plainFailed = failedFile;
            const Result indexed = runWithFault(folder, Counting::Indexed, n, rules);
            EXPECT_EQ(errorBoxes(plain, plainFailed), 1);
            const int boxes = errorBoxes(indexed, failedFile);
            if (rules == RuleSet::Spec) {
                EXPECT_EQ(failedFile, plainFailed);
                EXPECT_EQ(indexed.files, plain.files);
                EXPECT_EQ(indexed.events, plain.events);
                EXPECT_EQ(boxes, 1);
            } else {
                EXPECT_LE(boxes, 1);
                if (boxes == 0) {
                    EXPECT_EQ(indexed.files, clean.files);
                }
            }
        }
        if (rules != RuleSet::Safe) continue;
        int lockedWithBoxes = 0;
        for (const auto& [name, content] : clean.files) {
            const std::string file = fs::path(name).filename().string();
            SCOPED_TRACE("locked " + file);
            const Result plain = runWithFault(folder, Counting::Plain, 0, rules, file);
            const Result indexed = runWithFault(folder, Counting::Indexed, 0, rules, file);
            EXPECT_EQ(indexed.files, plain.files);
            EXPECT_EQ(indexed.events, plain.events);
            if (errorBoxes(indexed, file) > 0) ++lockedWithBoxes;
        }
        EXPECT_GE(lockedWithBoxes, 3);  // the fixture's modules
    }
}

// The specified passes write every module back four times a run; the safe rules write only
// what a pass changed. On a second run over the marked copy little changes: the copies are the
// same, with a fraction of the writes.
TEST(WriteFaults, TheSafeRulesWriteOnlyWhatAPassChanged) {
    text::ScopedCodePage cp(932);
    TempDir tmp;
    auto twoRuns = [&](RuleSet rules) {
        const fs::path folder = tmp / ruleSetName(rules) / "Sales";
        fs::create_directories(folder.parent_path());
        copyTree(sourceDir() / "examples/Sales", folder);
        RecordingWindow window;
        Engine engine(window);
        engine.setRules(rules);
        EXPECT_TRUE(engine.intake(folder / "Sales.vbp"));
        EXPECT_TRUE(engine.run());
        writes = 0;
        failAt = 0;
        files::setBeforeRenameHook(failNthWrite);
        EXPECT_TRUE(engine.run());
        files::setBeforeRenameHook(nullptr);
        EXPECT_TRUE(window.errors.empty());
        return std::pair{writes.load(), snapshot(folder / "New_Sales")};
    };
    const auto [specWrites, specCopy] = twoRuns(RuleSet::Spec);
    const auto [safeWrites, safeCopy] = twoRuns(RuleSet::Safe);
    EXPECT_EQ(specWrites, 4 * 3);
    EXPECT_LT(safeWrites, 6);
    EXPECT_EQ(safeCopy, specCopy);
}

}  // namespace
}  // namespace scourvane::testing
