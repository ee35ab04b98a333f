// The window under load: it keeps handling its events while the engine works on a generated
// project, and closing it in the middle of a command leaves every file of the working copy
// whole.
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <thread>

#include "project_generator.h"
#include "support/files.h"
#include "text/lines.h"
#include "qt/main_window.h"
#include "ui_support.h"

namespace scourvane::qt {
namespace {

using namespace std::chrono_literals;
using testing::CommandWaiter;
using testing::control;
using testing::DialogAnswer;
using testing::ErrorBoxAnswerer;
using testing::TempDir;

// The longest time between two ticks of a 5 ms timer on the window's thread while it lives.
class GapMeter {
  public:
    GapMeter() {
        clock_.start();
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            const qint64 now = clock_.elapsed();
            longest_ = std::max(longest_, now - last_);
            last_ = now;
        });
        timer_.start(5);
    }
    qint64 longestMs() const { return std::max(longest_, clock_.elapsed() - last_); }

  private:
    QElapsedTimer clock_;
    QTimer timer_;
    qint64 last_ = 0;
    qint64 longest_ = 0;
};

class UiLoad : public ::testing::Test {
  protected:
    void SetUp() override {
        testing::answerDialogWith(window, dialog);
        window.show();
        QApplication::processEvents();
        open = control<QPushButton>(window, "ComOpenVBP");
        run = control<QPushButton>(window, "ComDetectUnusedDeclarations");
    }
    bool clickAndWait(QPushButton* button) {
        CommandWaiter waiter(window);
        QTest::mouseClick(button, Qt::LeftButton);
        return waiter.wait(90000);
    }
    // Makes the worker close the window at its `at`-th yield from now on, and wait there until
    // the window has taken the close, so the engine sees it at that very yield.
    void closeAtYield(long at) {
        window.setYieldHook([this, at] {
            if (++yields != at) return;
            QMetaObject::invokeMethod(&window, [this] {
                window.close();
                closed = true;
            });
            while (!closed) std::this_thread::sleep_for(1ms);
        });
    }

    TempDir dir;
    DialogAnswer dialog;
    MainWindow window;
    QPushButton* open = nullptr;
    QPushButton* run = nullptr;
    std::atomic<long> yields{0};
    std::atomic<bool> closed{false};
};

TEST_F(UiLoad, WindowIsNeverBlockedForASecondDuringAGeneratedProject) {
    const auto project = bench::generateProject(dir / "Load", 20000, 10);
    ASSERT_GE(project.lines, 19000u);
    dialog.project = project.projectFile;
    // Each command also holds the engine for 1.5 s at its first yield: the window must go on
    // meanwhile, as it would not if the engine ran on its thread.
    std::atomic<bool> held{false};
    window.setYieldHook([&] {
        if (!held.exchange(true)) std::this_thread::sleep_for(1500ms);
    });
    ErrorBoxAnswerer boxes;
    GapMeter gaps;
    ASSERT_TRUE(clickAndWait(open));
    held = false;
    ASSERT_TRUE(clickAndWait(run));
    EXPECT_LT(gaps.longestMs(), 1000);
    EXPECT_TRUE(boxes.texts.isEmpty()) << boxes.texts.join("\n").toStdString();
    EXPECT_TRUE(
        control<QLabel>(window, "LabInfo")->text().startsWith(QString::fromUtf8("終了しました。")));
}

// Every file of the working copy is one of the whole forms a pass leaves: the same lines as
// the user's file, some of them marked "'<未使用> |" or turned from Public to Private. A file
// cut short, or one of another length, is not.
void expectWhole(const fs::path& original, const fs::path& copy) {
    const std::string before = testing::readFile(original);
    const std::string after = testing::readFile(copy);
    if (before == after) return;
    // The private pass writes no line break after the last line, so an empty last line may go.
    auto lines = [](const std::string& content) {
        auto rows = text::splitLines(content);
        while (!rows.empty() && rows.back().empty()) rows.pop_back();
        return rows;
    };
    const auto a = lines(before);
    const auto b = lines(after);
    ASSERT_EQ(a.size(), b.size()) << copy;
    const std::string marker = testing::sjis("'<未使用> |");
    for (std::size_t i = 0; i < a.size(); ++i) {
        std::string line = b[i];
        if (line.rfind(marker, 0) == 0) line.erase(0, marker.size());
        if (line != a[i] && line.rfind("Private ", 0) == 0 && a[i].rfind("Public ", 0) == 0)
            line = "Public " + line.substr(8);
        EXPECT_EQ(line, a[i]) << copy << " line " << i + 1;
    }
}

TEST_F(UiLoad, ClosingDuringIntakeLeavesEveryCopiedFileWhole) {
    const auto project = bench::generateProject(dir / "Gen", 2000, 30);
    dialog.project = project.projectFile;
    closeAtYield(10);  // the project file is read line by line
    CommandWaiter waiter(window);
    QTest::mouseClick(open, Qt::LeftButton);
    ASSERT_TRUE(testing::processUntil([&] { return closed.load(); }));
    ASSERT_TRUE(window.stopWorker(5000));
    EXPECT_EQ(yields, 10);  // the engine stopped at the yield that saw the close
    EXPECT_FALSE(window.isVisible());
    EXPECT_FALSE(run->isEnabled());

    const fs::path copy = dir / "Gen" / "New_Gen";
    EXPECT_TRUE(testing::temporaryFiles(copy).empty());
    for (const auto& entry : fs::directory_iterator(copy))
        EXPECT_EQ(testing::readFile(entry.path()),
                  testing::readFile(dir / "Gen" / entry.path().filename()))
            << entry.path();
}

TEST_F(UiLoad, ClosingDuringARunLeavesEveryModuleWhole) {
    const auto project = bench::generateProject(dir / "Gen", 6000, 12);
    dialog.project = project.projectFile;
    ErrorBoxAnswerer boxes;
    ASSERT_TRUE(clickAndWait(open));
    ASSERT_TRUE(run->isEnabled());

    // The run yields at least once per pass and once per other module a public pass counts.
    constexpr long kCloseAt = 60;
    closeAtYield(kCloseAt);
    CommandWaiter waiter(window);
    QTest::mouseClick(run, Qt::LeftButton);
    ASSERT_TRUE(
        testing::processUntil([&] { return closed.load() || !window.commandUnderWay(); }, 90000));
    ASSERT_TRUE(window.stopWorker(5000));

    const fs::path copy = dir / "Gen" / "New_Gen";
    EXPECT_TRUE(testing::temporaryFiles(copy).empty());
    for (const std::string& module : project.modules)
        expectWhole(dir / "Gen" / module, copy / module);
    if (!closed)
        GTEST_SKIP() << "the run ended after " << yields.load() << " yields, before the "
                     << kCloseAt << "th: nothing was left to interrupt";
    // The engine ended at the yield that saw the close, in the middle of the project.
    EXPECT_EQ(yields, kCloseAt);
    // The last module in the run's order was never reached: it is still the user's file,
    // unused declarations and all.
    ASSERT_FALSE(window.session().modules.empty());
    const std::string last = window.session().modules.back();
    EXPECT_EQ(testing::readFile(copy / last), testing::readFile(dir / "Gen" / last));
}

}  // namespace
}  // namespace scourvane::qt
