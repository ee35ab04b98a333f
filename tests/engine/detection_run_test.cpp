#include "engine/detection_run.h"

#include <gtest/gtest.h>

#include "engine/engine.h"
#include "intake/file_ops.h"
#include "support/files.h"
#include "support/recording_window.h"

namespace scourvane {
namespace {

using testing::Event;
using testing::writeFile;

class DetectionRun : public ::testing::Test {
  protected:
    testing::TempDir tmp;
    testing::RecordingWindow window;
    Engine engine{window};

    void load(const std::string& vbp) {
        writeFile(tmp / "Sales/Sales.vbp", vbp);
        writeFile(tmp / "Sales/Sales.vbw", "");
        ASSERT_TRUE(engine.intake(tmp / "Sales/Sales.vbp"));
        window.events.clear();
        window.errors.clear();
    }
};

TEST_F(DetectionRun, AnEmptyTableResetsCountersLabelsAndBarAndKeepsTheStatus) {
    load("Type=Exe\r\n");
    window.setStatus("kept");
    window.events.clear();
    ASSERT_TRUE(engine.run());
    const std::vector<Event> expected = {{"busy", "1"},      {"counter", "", 0}, {"counter", "", 1},
                                         {"counter", "", 2}, {"counter", "", 3}, {"counter", "", 4},
                                         {"counter", "", 5}, {"progress", "0"},  {"busy", "0"}};
    EXPECT_EQ(window.events, expected);
    EXPECT_EQ(window.status, "kept");
}

TEST_F(DetectionRun, OneModuleShowsEveryStatusTextAndEndsWithTheEndMessage) {
    writeFile(tmp / "Sales/Tools.bas", "Attribute VB_Name = \"Tools\"\r\n");
    load("Module=Tools; Tools.bas\r\n");
    ASSERT_TRUE(engine.run());
    const std::string wc = files::display(tmp / "Sales/New_Sales");
    const std::vector<std::string> expected = {
        "",
        "初期処理...\r\nTools.bas",
        "検索中...\r\nDim\r\nTools.bas",
        "検索中...\r\nPrivate\r\nTools.bas",
        "検索中...\r\nPublic\r\nTools.bas",
        "終了しました。新ﾌﾟﾛｼﾞｪｸﾄは\r\n" + wc + "\r\nに作成しました。"};
    EXPECT_EQ(window.statuses(), expected);
    EXPECT_TRUE(window.errors.empty()) << window.errors.front();
    for (int i = 0; i < kCounterCount; ++i) EXPECT_EQ(window.labels[i], "0") << i;
    EXPECT_EQ(window.selected, 0);
    EXPECT_FALSE(window.busy);
    EXPECT_EQ(window.progress, 0);
}

TEST_F(DetectionRun, ModulesRunInTableOrderAndAFailingModuleDoesNotStopTheRun) {
    engine.setRules(RuleSet::Spec);
    writeFile(tmp / "Sales/b.bas", "b\r\n");
    writeFile(tmp / "Sales/A.bas", "a\r\n");
    load("Module=B; b.bas\r\nModule=Gone; Gone.bas\r\nModule=A; A.bas\r\n");
    ASSERT_EQ(engine.session().modules, (std::vector<Bytes>{"A.bas", "b.bas", "Gone.bas"}));
    ASSERT_TRUE(engine.run());
    std::vector<std::string> selected, collecting;
    for (const auto& e : window.events) {
        if (e.kind == "select") selected.push_back(e.text);
        if (e.kind == "status" && e.text.rfind("初期処理", 0) == 0) collecting.push_back(e.text);
    }
    EXPECT_EQ(selected, (std::vector<std::string>{"0", "1", "2"}));
    EXPECT_EQ(collecting, (std::vector<std::string>{"初期処理...\r\nA.bas", "初期処理...\r\nb.bas",
                                                    "初期処理...\r\nGone.bas"}));
    // Each of the four passes on the missing module reports, and the run still ends normally.
    ASSERT_EQ(window.errors.size(), 4u);
    for (const auto& e : window.errors) EXPECT_EQ(e.rfind("Error 53 (", 0), 0u) << e;
    EXPECT_EQ(window.statuses().back().rfind("終了しました。", 0), 0u);
}

TEST_F(DetectionRun, ASecondRunIsIgnoredWhileOneIsUnderWay) {
    writeFile(tmp / "Sales/A.bas", "Attribute VB_Name = \"A\"\r\nPublic x As Long\r\n");
    load("Module=A; A.bas\r\n");
    int nestedRuns = 0;
    window.onYield = [&] {
        if (engine.run()) ++nestedRuns;
        return true;
    };
    ASSERT_TRUE(engine.run());
    EXPECT_EQ(nestedRuns, 0);
}

TEST(StatusTexts, AreTheWindowsTextsByteForByte) {
    EXPECT_EQ(statusCollecting("M.bas"), "初期処理...\r\nM.bas");
    EXPECT_EQ(statusSearching("Private", "M.bas"), "検索中...\r\nPrivate\r\nM.bas");
    EXPECT_EQ(statusFinished("C:\\Work\\Sales\\New_Sales"),
              "終了しました。新ﾌﾟﾛｼﾞｪｸﾄは\r\nC:\\Work\\Sales\\New_Sales\r\nに作成しました。");
}

}  // namespace
}  // namespace scourvane
