#include "base/progress.h"

#include <gtest/gtest.h>

#include "base/counters.h"
#include "base/run_error.h"
#include "support/recording_window.h"

namespace scourvane {
namespace {

TEST(ProgressStep, RoundsHalvesToEvenAndHoldsAtTheMaximum) {
    EXPECT_EQ(progressValue(8, 1), 12);    // 12.5
    EXPECT_EQ(progressValue(8, 3), 38);    // 37.5
    EXPECT_EQ(progressValue(8, 10), 100);  // 125, held
    EXPECT_EQ(progressValue(8, 8), 100);
    EXPECT_EQ(progressValue(200, 1), 0);  // 0.5 rounds to the even 0
    EXPECT_EQ(progressValue(200, 3), 2);  // 1.5 rounds to 2
    EXPECT_EQ(progressValue(0, 5), 0);    // no total: the bar stays in range
    EXPECT_EQ(progressValue(3'000'000'000LL, 1'500'000'000LL), 50);  // no 32-bit limit
}

TEST(Counters, AddShowsTheLabelAndOverflowIsAnError) {
    testing::RecordingWindow w;
    Counters c;
    c.add(CounterId::UnusedPrivate, 1, w);
    c.add(CounterId::UnusedPrivate, 1, w);
    EXPECT_EQ(w.label(CounterId::UnusedPrivate), "2");
    EXPECT_EQ(c.get(CounterId::UnusedPrivate), 2);
    c.add(CounterId::Public, 2'147'483'647, w);
    EXPECT_THROW(c.add(CounterId::Public, 1, w), RunError);
    EXPECT_EQ(c.get(CounterId::Public), 2'147'483'647);
    resetLabels(w);
    for (int i = 0; i < kCounterCount; ++i) EXPECT_EQ(w.labels[i], "");
}

}  // namespace
}  // namespace scourvane
