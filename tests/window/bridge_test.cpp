// The worker's side of the window: coalesced updates, the error box that holds the worker,
// and closing.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "window/window_bridge.h"

namespace scourvane::window {
namespace {

using namespace std::chrono_literals;

struct Flushes {
    std::atomic<int> requested{0};
    WindowBridge bridge{[this] { ++requested; }};
};

TEST(UiBridge, ManyChangesAskForOneFlushAndKeepTheLatestValue) {
    Flushes f;
    for (int i = 0; i <= 10000; ++i) {
        f.bridge.setProgress(i % 101);
        f.bridge.setStatus("line " + std::to_string(i));
    }
    EXPECT_EQ(f.requested, 1);
    DisplayUpdate u = f.bridge.take();
    EXPECT_EQ(u.progress, 10000 % 101);
    EXPECT_EQ(u.status, "line 10000");

    // Taken: nothing is pending, and the next change asks again, once.
    DisplayUpdate empty = f.bridge.take();
    EXPECT_FALSE(empty.progress || empty.status || empty.busy || empty.error);
    f.bridge.setBusy(true);
    f.bridge.setBusy(false);
    EXPECT_EQ(f.requested, 2);
    EXPECT_EQ(f.bridge.take().busy, false);
}

TEST(UiBridge, EachKindKeepsItsOwnLatestState) {
    Flushes f;
    f.bridge.setStatus("a");
    f.bridge.setCounterLabel(CounterId::Dim, "1");
    f.bridge.setCounterLabel(CounterId::UnusedPublic, "7");
    f.bridge.setCounterLabel(CounterId::Dim, "2");
    f.bridge.setProjectLabel("Sales.vbp");
    f.bridge.setRunEnabled(true);
    f.bridge.setStatus("b");
    DisplayUpdate u = f.bridge.take();
    EXPECT_EQ(u.status, "b");
    EXPECT_EQ(u.projectLabel, "Sales.vbp");
    EXPECT_EQ(u.runEnabled, true);
    EXPECT_EQ(u.counters[indexOf(CounterId::Dim)], "2");
    EXPECT_EQ(u.counters[indexOf(CounterId::UnusedPublic)], "7");
    for (CounterId id :
         {CounterId::UnusedDim, CounterId::Private, CounterId::UnusedPrivate, CounterId::Public})
        EXPECT_FALSE(u.counters[indexOf(id)].has_value());
}

TEST(UiBridge, NewModuleListClearsTheSelectionButARenameKeepsIt) {
    Flushes f;
    f.bridge.beginCommand();
    f.bridge.setModules({"a\\x.bas", "b.bas"});
    f.bridge.selectModule(0);
    DisplayUpdate first = f.bridge.take();
    EXPECT_EQ(first.selected, 0);  // sent after the list, so it applies to the new rows

    // Same command, same length: rows renamed in place, selection left alone.
    f.bridge.setModules({"x.bas", "b.bas"});
    DisplayUpdate renamed = f.bridge.take();
    ASSERT_TRUE(renamed.modules.has_value());
    EXPECT_FALSE(renamed.selected.has_value());

    // Next command: a new list of the same length starts without a selection.
    f.bridge.beginCommand();
    f.bridge.setModules({"c.bas", "d.bas"});
    EXPECT_EQ(f.bridge.take().selected, -1);

    // A list of another length within a command is new as well.
    f.bridge.setModules({"c.bas"});
    EXPECT_EQ(f.bridge.take().selected, -1);
}

TEST(UiBridge, ErrorBoxHoldsTheWorkerUntilAnswered) {
    Flushes f;
    f.bridge.setStatus("before");
    std::atomic<bool> returned{false};
    std::thread worker([&] {
        f.bridge.showError(53, "ファイルが見つかりません: /p/Sales.vbw");
        returned = true;
    });
    std::this_thread::sleep_for(50ms);
    EXPECT_FALSE(returned);
    DisplayUpdate u = f.bridge.take();
    ASSERT_TRUE(u.error.has_value());
    EXPECT_EQ(u.error->text(), "Error 53 (ファイルが見つかりません: /p/Sales.vbw)");
    // What was shown before the box comes with it.
    EXPECT_EQ(u.status, "before");
    std::this_thread::sleep_for(20ms);
    EXPECT_FALSE(returned);
    f.bridge.errorAnswered();
    worker.join();
    EXPECT_TRUE(returned);
    EXPECT_EQ(f.requested, 1);
}

TEST(UiBridge, ClosingReleasesAWaitingBoxAndFailsEveryYield) {
    Flushes f;
    EXPECT_TRUE(f.bridge.yield());
    std::thread worker([&] { f.bridge.showError(70, "x"); });
    while (f.requested == 0) std::this_thread::sleep_for(1ms);
    f.bridge.close();
    worker.join();  // returns without an answer
    EXPECT_FALSE(f.bridge.yield());
    EXPECT_FALSE(f.bridge.take().error.has_value());

    // After closing, a failure asks for no box and does not wait.
    f.bridge.showError(53, "y");
    EXPECT_FALSE(f.bridge.take().error.has_value());
}

TEST(UiBridge, YieldHookRunsOnEveryYield) {
    Flushes f;
    int calls = 0;
    f.bridge.setYieldHook([&] { ++calls; });
    for (int i = 0; i < 5; ++i) EXPECT_TRUE(f.bridge.yield());
    EXPECT_EQ(calls, 5);
}

}  // namespace
}  // namespace scourvane::window
