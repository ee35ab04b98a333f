// What a public pass worked out ahead shows is recorded and shown later: replayed, a random
// sequence of statuses, progress values, counter changes and yields must reach the window
// exactly as the same calls made directly, from any counter values and progress value the
// run stands at, and a yield refused while replaying must unwind as it would have.
#include <gtest/gtest.h>

#include <random>

#include "base/run_error.h"
#include "engine/prepared_module.h"
#include "support/recording_window.h"

namespace scourvane::testing {
namespace {

TEST(ShowRecorder, ReplayShowsWhatTheCallsWouldHaveShown) {
    std::mt19937 rng(11);
    for (int round = 0; round < 300; ++round) {
        // The run as it stands: counters and the progress bar somewhere.
        Session direct, replayed, recorded;
        RecordingWindow directWindow, replayedWindow;
        ShowRecorder recorder;
        RunContext directCtx(direct, directWindow), replayedCtx(replayed, replayedWindow),
            recordedCtx(recorded, recorder);
        for (int i = 0; i < kCounterCount; ++i) {
            const auto id = static_cast<CounterId>(i);
            const std::int32_t start = static_cast<std::int32_t>(rng() % 1000);
            direct.counters.add(id, start, directWindow);
            replayed.counters.add(id, start, replayedWindow);
        }
        const int progress = static_cast<int>(rng() % 101);
        directCtx.setProgress(progress);
        replayedCtx.setProgress(progress);
        directWindow.events.clear();
        replayedWindow.events.clear();

        auto call = [&](RunContext& ctx, int kind, int value) {
            switch (kind) {
                case 0: ctx.window().setStatus("走査中...\r\n" + std::to_string(value)); break;
                case 1: ctx.setProgress(value % 101); break;
                case 2: ctx.bump(static_cast<CounterId>(value % kCounterCount), value % 3 - 1); break;
                default: ctx.yield(); break;
            }
        };
        const int calls = static_cast<int>(rng() % 40);
        for (int c = 0; c < calls; ++c) {
            const int kind = static_cast<int>(rng() % 4), value = static_cast<int>(rng() % 1000);
            call(directCtx, kind, value);
            call(recordedCtx, kind, value);
        }
        ASSERT_FALSE(recorder.failed());
        ShowRecorder::replay(replayedCtx, recorder.take());
        ASSERT_EQ(replayedWindow.events, directWindow.events) << "round " << round;
        for (int i = 0; i < kCounterCount; ++i) {
            const auto id = static_cast<CounterId>(i);
            ASSERT_EQ(replayed.counters.get(id), direct.counters.get(id));
        }
    }
}

TEST(ShowRecorder, AnErrorBoxSpoilsTheRecordAndAClosingWindowStopsTheReplay) {
    ShowRecorder recorder;
    recorder.showError(57, "x");
    EXPECT_TRUE(recorder.failed());

    Session recordedSession, session;
    ShowRecorder calls;
    RunContext recordedCtx(recordedSession, calls);
    recordedCtx.window().setStatus("a");
    recordedCtx.yield();
    recordedCtx.window().setStatus("b");
    RecordingWindow window;
    window.onYield = [] { return false; };
    RunContext ctx(session, window);
    EXPECT_THROW(ShowRecorder::replay(ctx, calls.take()), Closing);
    EXPECT_EQ(window.statuses(), std::vector<std::string>{"a"});
}

}  // namespace
}  // namespace scourvane::testing
