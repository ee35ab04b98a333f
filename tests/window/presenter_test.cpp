// The window's behaviour without a toolkit: a view that records what it is told to draw, driven
// through the presenter as a user drives the window, with the engine on its own thread. What is
// tested here holds for the Qt and the Win32 window alike.
#include "window/presenter.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <fstream>
#include <map>
#include <mutex>
#include <random>
#include <thread>

#include "support/files.h"
#include "window/command_line.h"

namespace scourvane::window {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;
using testing::TempDir;

// A view that keeps what it was told; the test's thread is the window's thread.
class RecordingView : public View {
  public:
    void refresh(const WindowState& state, unsigned changes) override {
        shown = state;
        for (unsigned bit = 1; bit < kEverything; bit <<= 1)
            if (changes & bit) ++refreshes[bit];
        if ((changes & kPointer) && state.waitPointer) sawWaitPointer = true;
        events.push_back("refresh");
    }
    std::optional<fs::path> askForProject() override {
        ++dialogCalls;
        return answer;
    }
    void showErrorBox(const std::string& text) override {
        boxes.push_back(text);
        if (onBox) onBox();
    }
    void openUrl(const std::string& url) override {
        urls.push_back(url);
        pointerWhileOpening.push_back(shown.waitPointer);
    }
    void moveWindow(Point topLeft) override { position = topLeft; }
    void drawNow() override { events.push_back("drawNow"); }
    void closeWindow() override {
        events.push_back("close");
        closed = true;
        if (presenter) presenter->windowClosing();
    }
    void commandEnded() override { ++finished; }

    // Called on the engine's thread.
    void wake() {
        std::lock_guard lock(mutex);
        ++wakes;
        woken.notify_all();
    }
    // Handles what the engine leaves, as a window's event loop does, until `done` holds.
    bool pumpUntil(const std::function<bool()>& done, std::chrono::milliseconds limit = 60s) {
        const auto end = std::chrono::steady_clock::now() + limit;
        while (!done()) {
            if (std::chrono::steady_clock::now() > end) return false;
            {
                std::unique_lock lock(mutex);
                woken.wait_for(lock, 20ms, [this] { return wakes > 0; });
                wakes = 0;
            }
            presenter->handlePending();
        }
        return true;
    }

    Presenter* presenter = nullptr;
    WindowState shown;
    std::map<unsigned, int> refreshes;
    bool sawWaitPointer = false;
    std::vector<std::string> events;
    std::optional<fs::path> answer;
    int dialogCalls = 0;
    std::vector<std::string> boxes;
    std::function<void()> onBox;
    std::vector<std::string> urls;
    std::vector<bool> pointerWhileOpening;
    Point position;
    bool closed = false;
    int finished = 0;

    std::mutex mutex;
    std::condition_variable woken;
    int wakes = 0;
};

class WindowPresenter : public ::testing::Test {
  protected:
    void SetUp() override { view.presenter = &presenter; }
    // A fresh copy of the sample project; its project file.
    fs::path sample() {
        testing::copyTree(testing::sourceDir() / "examples" / "Sales", dir / "Sales");
        return dir / "Sales" / "Sales.vbp";
    }
    bool click(void (Presenter::*button)()) {
        const int before = view.finished;
        (presenter.*button)();
        return view.pumpUntil([&] { return view.finished > before; });
    }

    TempDir dir;
    RecordingView view;
    Presenter presenter{view, [this] { view.wake(); }};
};

std::map<std::string, std::string> expectedCounters() {
    std::map<std::string, std::string> counters;
    std::ifstream in(testing::sourceDir() / "tests" / "fixtures" / "sales" / "expected-counters.txt");
    std::string name, value;
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] == '#') continue;
        const auto space = line.find(' ');
        counters[line.substr(0, space)] = line.substr(space + 1);
    }
    return counters;
}

TEST_F(WindowPresenter, IntakeAndRunOfTheSampleShowTheEnginesResultsAndWriteTheExpectedCopy) {
    view.answer = sample();
    EXPECT_FALSE(view.shown.runEnabled);
    ASSERT_TRUE(click(&Presenter::openClicked));
    EXPECT_EQ(view.dialogCalls, 1);
    EXPECT_TRUE(view.boxes.empty());
    EXPECT_TRUE(presenter.state().runEnabled);
    EXPECT_EQ(presenter.state().projectLabel, "Sales.vbp ﾌﾟﾛｼﾞｪｸﾄ");
    EXPECT_EQ(presenter.state().modules, presenter.session().modules);
    EXPECT_GE(presenter.state().modules.size(), 3u);
    EXPECT_FALSE(presenter.state().commandUnderWay);

    ASSERT_TRUE(click(&Presenter::runClicked));
    EXPECT_TRUE(view.boxes.empty()) << view.boxes.front();
    const WindowState& s = presenter.state();
    // What the view was last told is the state, and the counters are the fixture's.
    EXPECT_EQ(view.shown.counters, s.counters);
    const auto expected = expectedCounters();
    const char* names[] = {"dim", "unused_dim", "private", "unused_private", "public",
                           "unused_public"};
    for (int i = 0; i < kCounterCount; ++i)
        EXPECT_EQ(s.counters[static_cast<std::size_t>(i)], expected.at(names[i])) << names[i];
    EXPECT_TRUE(s.status.starts_with("終了しました。新ﾌﾟﾛｼﾞｪｸﾄは\r\n")) << s.status;
    EXPECT_TRUE(s.status.ends_with("\r\nに作成しました。")) << s.status;
    EXPECT_EQ(s.selected, static_cast<int>(s.modules.size()) - 1);
    EXPECT_TRUE(view.sawWaitPointer);
    EXPECT_FALSE(s.waitPointer);
    EXPECT_GT(view.refreshes[kProgress], 1);
    EXPECT_EQ(testing::snapshot(dir / "Sales" / "New_Sales"),
              testing::snapshot(testing::sourceDir() / "tests" / "fixtures" / "sales" / "expected"));
}

TEST_F(WindowPresenter, ErrorBoxHoldsTheEngineUntilClosedAndComesInOrder) {
    view.answer = sample();
    // A workspace file that exists but cannot be copied (a missing one is no error).
    fs::remove(dir / "Sales" / "Sales.vbw");
    fs::create_directory(dir / "Sales" / "Sales.vbw");
    bool underWayWhileOpen = false, runEnabledWhileOpen = true;
    view.onBox = [&] {
        underWayWhileOpen = presenter.state().commandUnderWay;
        runEnabledWhileOpen = presenter.state().runEnabled;
        // The engine waits: nothing it does after the box arrives meanwhile.
        std::this_thread::sleep_for(50ms);
        presenter.handlePending();
        EXPECT_FALSE(presenter.state().runEnabled);
    };
    ASSERT_TRUE(click(&Presenter::openClicked));
    ASSERT_EQ(view.boxes.size(), 1u);
    EXPECT_TRUE(view.boxes[0].starts_with("Error 75 (")) << view.boxes[0];
    EXPECT_NE(view.boxes[0].find("Sales.vbw"), std::string::npos) << view.boxes[0];
    EXPECT_TRUE(view.boxes[0].ends_with(")"));
    EXPECT_TRUE(underWayWhileOpen);
    EXPECT_FALSE(runEnabledWhileOpen);
    // After OK the intake went on to its end.
    EXPECT_TRUE(presenter.state().runEnabled);
    EXPECT_FALSE(presenter.state().commandUnderWay);
}

TEST_F(WindowPresenter, ClicksWhileACommandWorksAreIgnoredAndTheWindowStillMoves) {
    view.answer = sample();
    ASSERT_TRUE(click(&Presenter::openClicked));
    std::atomic<bool> inside{false}, release{false};
    presenter.setYieldHook([&] {
        inside = true;
        while (!release) std::this_thread::sleep_for(1ms);
    });
    presenter.openClicked();
    ASSERT_TRUE(view.pumpUntil([&] { return inside.load(); }));
    EXPECT_TRUE(presenter.state().commandUnderWay);
    presenter.openClicked();
    presenter.runClicked();
    EXPECT_EQ(view.dialogCalls, 2);
    presenter.titlePressed(MouseButton::Left, {110, 60}, {100, 50});
    presenter.titleMoved({130, 90});
    EXPECT_EQ(view.position, (Point{120, 80}));
    presenter.titleReleased();

    release = true;
    ASSERT_TRUE(view.pumpUntil([&] { return view.finished == 2; }));
    std::this_thread::sleep_for(50ms);
    presenter.handlePending();
    // The ignored run never started: no counters, no end message, one command after intake.
    EXPECT_EQ(view.finished, 2);
    EXPECT_EQ(presenter.state().status, "");
    for (const std::string& c : presenter.state().counters) EXPECT_EQ(c, "");
}

TEST_F(WindowPresenter, RunIsIgnoredUntilAProjectIsTakenIn) {
    presenter.runClicked();
    std::this_thread::sleep_for(50ms);
    presenter.handlePending();
    EXPECT_EQ(view.finished, 0);
    EXPECT_FALSE(presenter.state().commandUnderWay);
}

TEST_F(WindowPresenter, ClosingWhileAnErrorBoxIsOpenEndsTheEngine) {
    view.answer = sample();
    // A workspace file that exists but cannot be copied (a missing one is no error).
    fs::remove(dir / "Sales" / "Sales.vbw");
    fs::create_directory(dir / "Sales" / "Sales.vbw");
    view.onBox = [&] { presenter.exitClicked(); };
    presenter.openClicked();
    ASSERT_TRUE(view.pumpUntil([&] { return !view.boxes.empty(); }));
    EXPECT_TRUE(view.closed);
    EXPECT_TRUE(presenter.stopWorker(5000));
    presenter.handlePending();
    // The intake unwound at its first yield after the box: the run button never came on.
    EXPECT_FALSE(presenter.state().runEnabled);
    EXPECT_EQ(view.boxes.size(), 1u);
    EXPECT_FALSE(presenter.engineWindow().yield());
    // Nothing starts after closing.
    presenter.openClicked();
    EXPECT_EQ(view.dialogCalls, 1);
}

TEST_F(WindowPresenter, CancelledDialogEmptiesOnlyTheStatusAndTheProgress) {
    view.answer = sample();
    ASSERT_TRUE(click(&Presenter::openClicked));
    presenter.engineWindow().setStatus("something");
    presenter.engineWindow().setProgress(40);
    ASSERT_TRUE(view.pumpUntil([&] { return presenter.state().progress == 40; }));
    const WindowState before = presenter.state();
    view.answer.reset();
    presenter.openClicked();
    EXPECT_EQ(view.dialogCalls, 2);
    EXPECT_EQ(view.shown.status, "");
    EXPECT_EQ(view.shown.progress, 0);
    EXPECT_FALSE(presenter.state().commandUnderWay);
    EXPECT_EQ(presenter.state().modules, before.modules);
    EXPECT_EQ(presenter.state().projectLabel, before.projectLabel);
    EXPECT_TRUE(presenter.state().runEnabled);
}

TEST_F(WindowPresenter, ModuleRowsAndTheSelectionFollowTheEngine) {
    Window& engine = presenter.engineWindow();
    engine.setModules({"alpha.bas", "Beta.cls", "gamma.frm"});
    engine.selectModule(2);
    ASSERT_TRUE(view.pumpUntil([&] { return presenter.state().selected == 2; }));
    EXPECT_EQ(view.shown.modules, (std::vector<std::string>{"alpha.bas", "Beta.cls", "gamma.frm"}));
    // A shorter list drops a selection it no longer has; a row out of range selects none.
    engine.setModules({"alpha.bas"});
    ASSERT_TRUE(view.pumpUntil([&] { return presenter.state().modules.size() == 1; }));
    EXPECT_EQ(presenter.state().selected, -1);
    engine.selectModule(0);
    engine.selectModule(7);
    ASSERT_TRUE(view.pumpUntil([&] { return view.refreshes[kSelection] >= 3; }));
    EXPECT_EQ(presenter.state().selected, -1);
    // The progress bar stays between 0 and 100.
    engine.setProgress(250);
    ASSERT_TRUE(view.pumpUntil([&] { return presenter.state().progress == 100; }));
    engine.setProgress(-3);
    ASSERT_TRUE(view.pumpUntil([&] { return presenter.state().progress == 0; }));
}

TEST_F(WindowPresenter, DragFollowsTheCursorPixelForPixelAndOnlyALeftPressStartsIt) {
    // Random presses, moves and releases against a model of the drag: the window moves only
    // while a left press on the strip has not been followed by a release, and keeps the grabbed
    // point under the cursor.
    std::mt19937 random(7);
    std::uniform_int_distribution<int> coordinate(-2000, 4000);
    std::uniform_int_distribution<int> action(0, 5);
    bool dragging = false;
    Point window{100, 100}, grab;
    view.position = window;
    for (int step = 0; step < 5000; ++step) {
        const Point cursor{coordinate(random), coordinate(random)};
        switch (action(random)) {
            case 0:
            case 1: {
                const MouseButton b = static_cast<MouseButton>(random() % 4);
                presenter.titlePressed(b, cursor, view.position);
                if (b == MouseButton::Left) {
                    dragging = true;
                    grab = cursor - view.position;
                }
                break;
            }
            case 2:
                presenter.titleReleased();
                dragging = false;
                break;
            default:
                presenter.titleMoved(cursor);
                if (dragging) window = cursor - grab;
                break;
        }
        ASSERT_EQ(view.position, window) << step;
        ASSERT_EQ(presenter.dragging(), dragging) << step;
    }
}

TEST_F(WindowPresenter, ExitImageShowsThePressedPictureAndIsDrawnBeforeTheWindowCloses) {
    presenter.exitImagePressed();
    EXPECT_TRUE(view.shown.exitPressed);
    EXPECT_FALSE(view.closed);
    view.events.clear();
    presenter.exitImageReleased();
    EXPECT_FALSE(view.shown.exitPressed);
    EXPECT_EQ(view.events, (std::vector<std::string>{"refresh", "drawNow", "close"}));
    EXPECT_FALSE(presenter.engineWindow().yield());
}

TEST_F(WindowPresenter, LinkOpensWhatTheLabelShowsUnderTheHourglass) {
    presenter.linkClicked("https://scourvane.example/");
    presenter.linkClicked("https://other.example/page");
    EXPECT_EQ(view.urls,
              (std::vector<std::string>{"https://scourvane.example/", "https://other.example/page"}));
    EXPECT_EQ(view.pointerWhileOpening, (std::vector<bool>{true, true}));
    EXPECT_FALSE(view.shown.waitPointer);
}

TEST_F(WindowPresenter, TheTitleSaysWhenTheSafeRulesAreInForce) {
    EXPECT_EQ(presenter.state().title, "Scourvane");
    presenter.setRules(RuleSet::Safe);
    EXPECT_EQ(view.shown.title, "Scourvane (安全ルール)");
    EXPECT_EQ(presenter.session().rules, RuleSet::Safe);
}

TEST(WindowCommandLine, TakesOnlyTheRuleSet) {
    using Args = std::vector<std::string>;
    EXPECT_EQ(rulesFromArguments({}), RuleSet::Spec);
    EXPECT_EQ(rulesFromArguments(Args{"--rules", "safe"}), RuleSet::Safe);
    EXPECT_EQ(rulesFromArguments(Args{"--rules=safe"}), RuleSet::Safe);
    EXPECT_EQ(rulesFromArguments(Args{"--rules=safe", "--rules", "spec"}), RuleSet::Spec);
    for (const Args& bad : {Args{"--rules"}, Args{"--rules", "loose"}, Args{"--rules="},
                            Args{"Sales.vbp"}, Args{"--rules", "safe", "x"}})
        EXPECT_FALSE(rulesFromArguments(bad).has_value()) << bad.front();
}

}  // namespace
}  // namespace scourvane::window
