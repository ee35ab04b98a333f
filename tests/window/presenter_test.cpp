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
#include <tuple>
#include <thread>

#include "base/paths.h"
#include "engine/run_results.h"
#include "support/files.h"
#include "text/convert.h"
#include "window/command_line.h"
#include "window/texts.h"
#include "support/scoped_env.h"

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
    std::optional<fs::path> askForProject(const fs::path& startFolder) override {
        ++dialogCalls;
        dialogFolders.push_back(startFolder);
        return answer;
    }
    std::optional<fs::path> askForFolder(const fs::path& startFolder) override {
        dialogFolders.push_back(startFolder);
        return folderAnswer;
    }
    std::optional<fs::path> folderAnswer;
    void showFindings() override { ++findingsShown; }
    void findingsChanged() override { ++findingsReloaded; }
    int findingsShown = 0, findingsReloaded = 0;
    void showErrorBox(const std::string& text) override {
        boxes.push_back(text);
        if (onBox) onBox();
    }
    void showMessage(const std::string& text) override { messages.push_back(text); }
    void openUrl(const std::string& url) override {
        urls.push_back(url);
        pointerWhileOpening.push_back(shown.waitPointer);
    }
    void openFile(const fs::path& file) override { openedFiles.push_back(file); }
    void openFolder(const fs::path& folder) override { openedFolders.push_back(folder); }
    std::optional<MenuItem> showMenu(Point at, const std::vector<MenuEntry>& entries) override {
        menuPlaces.push_back(at);
        menusShown.push_back(entries);
        return menuAnswer;
    }
    std::optional<fs::path> askForPatchFile(const fs::path& suggested) override {
        patchSuggestions.push_back(suggested);
        return patchAnswer;
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
    std::vector<fs::path> dialogFolders;
    std::vector<std::string> messages;
    std::vector<fs::path> openedFiles, openedFolders;
    std::vector<Point> menuPlaces;
    std::vector<std::vector<MenuEntry>> menusShown;
    std::optional<MenuItem> menuAnswer;
    std::vector<fs::path> patchSuggestions;
    std::optional<fs::path> patchAnswer;
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

// The safe rules are in force from the start; the specified ones, which can break the copy,
// are named in the title and set apart by its colour.
TEST_F(WindowPresenter, TheTitleNamesTheRuleSetInForceAndWarnsUnderTheSpecifiedRules) {
    EXPECT_EQ(presenter.session().rules, RuleSet::Safe);
    EXPECT_EQ(presenter.state().title, "Scourvane (安全ルール)");
    EXPECT_EQ(presenter.state().titleColour, kWhite);
    presenter.setRules(RuleSet::Spec);
    EXPECT_EQ(view.shown.title, "Scourvane (仕様どおりのルール: 要確認)");
    EXPECT_EQ(view.shown.titleColour, kTitleWarning);
    EXPECT_NE(kTitleWarning, kWhite);
    EXPECT_EQ(presenter.session().rules, RuleSet::Spec);
    presenter.setRules(RuleSet::Safe);
    EXPECT_EQ(view.shown.title, "Scourvane (安全ルール)");
    EXPECT_EQ(view.shown.titleColour, kWhite);
}

using testing::ScopedEnv;

// The enabled items of a menu, and the checked ones, by item.
std::map<MenuItem, bool> enabledItems(const std::vector<MenuEntry>& entries) {
    std::map<MenuItem, bool> out;
    for (const MenuEntry& e : entries)
        if (e.kind == MenuEntry::Kind::Item) out[e.item] = e.enabled;
    return out;
}

std::map<MenuItem, bool> allItems(bool rules, bool repeat, bool afterRun) {
    // Opening a folder and the ActiveX choice need only an idle window, as the rules do.
    return {{MenuItem::RulesSpec, rules},         {MenuItem::RulesSafe, rules},
            {MenuItem::OpenFolder, rules},        {MenuItem::ActiveXCallersInRun, rules},
            {MenuItem::CodePageSystem, rules},    {MenuItem::CodePage932, rules},
            {MenuItem::CodePage1252, rules},      {MenuItem::CodePage936, rules},
            {MenuItem::CodePage949, rules},       {MenuItem::CodePage950, rules},
            {MenuItem::CodePage874, rules},       {MenuItem::CodePage1250, rules},
            {MenuItem::CodePage1251, rules},      {MenuItem::CodePage1253, rules},
            {MenuItem::CodePage1254, rules},      {MenuItem::CodePage1255, rules},
            {MenuItem::CodePage1256, rules},      {MenuItem::CodePage1257, rules},
            {MenuItem::CodePage1258, rules},
            {MenuItem::ReviewFindings, afterRun},
            {MenuItem::RepeatUntilStable, repeat}, {MenuItem::OpenReport, afterRun},
            {MenuItem::SavePatchComment, afterRun}, {MenuItem::SavePatchRemove, afterRun},
            {MenuItem::OpenWorkingCopy, afterRun}};
}

TEST_F(WindowPresenter, MenuItemsNeedWhatTheyActOnAndAreAllDisabledWhileACommandWorks) {
    // The rule set's two choices under their heading, with their exact captions.
    const std::vector<MenuEntry> first = presenter.menu();
    ASSERT_GE(first.size(), 3u);
    EXPECT_EQ(first[0].kind, MenuEntry::Kind::Heading);
    EXPECT_EQ(first[1].caption, "仕様どおり");
    EXPECT_EQ(first[2].caption, "安全");
    EXPECT_TRUE(first[1].radio && first[2].radio);
    EXPECT_FALSE(first[1].checked);
    EXPECT_TRUE(first[2].checked);
    EXPECT_EQ(entryOf(first, MenuItem::RepeatUntilStable)->caption,
              "何も見つからなくなるまで繰り返す");
    EXPECT_EQ(enabledItems(first), allItems(true, false, false));

    view.answer = sample();
    ASSERT_TRUE(click(&Presenter::openClicked));
    EXPECT_EQ(enabledItems(presenter.menu()), allItems(true, true, false));

    // Held in the middle of a run: nothing can be chosen, and a choice made anyway is ignored.
    std::atomic<bool> inside{false}, release{false};
    presenter.setYieldHook([&] {
        inside = true;
        while (!release) std::this_thread::sleep_for(1ms);
    });
    presenter.runClicked();
    ASSERT_TRUE(view.pumpUntil([&] { return inside.load(); }));
    EXPECT_EQ(enabledItems(presenter.menu()), allItems(false, false, false));
    presenter.menuChosen(MenuItem::RulesSpec);
    EXPECT_EQ(presenter.session().rules, RuleSet::Safe);
    // The menu the view is asked to show is the presenter's, at the place asked for.
    view.menuAnswer = MenuItem::RulesSpec;
    presenter.menuRequested({40, 50});
    ASSERT_EQ(view.menusShown.size(), 1u);
    EXPECT_EQ(view.menuPlaces.back(), (Point{40, 50}));
    EXPECT_EQ(enabledItems(view.menusShown.back()), allItems(false, false, false));
    EXPECT_EQ(presenter.state().title, "Scourvane (安全ルール)");
    release = true;
    ASSERT_TRUE(view.pumpUntil([&] { return view.finished == 2; }));
    presenter.setYieldHook({});

    EXPECT_EQ(enabledItems(presenter.menu()), allItems(true, true, true));
    // A new intake needs a new run before the run's items come back.
    ASSERT_TRUE(click(&Presenter::openClicked));
    EXPECT_EQ(enabledItems(presenter.menu()), allItems(true, true, false));
}

TEST_F(WindowPresenter, TheSpecifiedRulesChosenInTheMenuAreInForceShownAndRemembered) {
    const fs::path settings = dir / "config" / "scourvane" / "settings.ini";
    // A first start without settings: the safe rules.
    presenter.start({settings, std::nullopt, std::nullopt});
    EXPECT_EQ(presenter.session().rules, RuleSet::Safe);
    EXPECT_EQ(presenter.state().title, "Scourvane (安全ルール)");
    view.menuAnswer = MenuItem::RulesSpec;
    presenter.menuRequested({0, 0});
    EXPECT_EQ(presenter.session().rules, RuleSet::Spec);
    EXPECT_EQ(view.shown.title, "Scourvane (仕様どおりのルール: 要確認)");
    EXPECT_TRUE(entryOf(presenter.menu(), MenuItem::RulesSpec)->checked);
    EXPECT_FALSE(entryOf(presenter.menu(), MenuItem::RulesSafe)->checked);
    EXPECT_EQ(readSettings(settings).rules, RuleSet::Spec);

    // The next start takes them up; the command line's rule set overrides them for its start
    // only, and an intake remembers its folder without forgetting the rule set.
    RecordingView second;
    {
        Presenter again(second, [] {});
        again.start({settings, std::nullopt, std::nullopt});
        EXPECT_EQ(again.session().rules, RuleSet::Spec);
        EXPECT_EQ(second.shown.title, "Scourvane (仕様どおりのルール: 要確認)");
    }
    RecordingView third;
    third.answer = sample();
    {
        Presenter overridden(third, [&third] { third.wake(); });
        third.presenter = &overridden;
        overridden.start({settings, RuleSet::Safe, std::nullopt});
        EXPECT_EQ(overridden.session().rules, RuleSet::Safe);
        EXPECT_EQ(third.shown.title, "Scourvane (安全ルール)");
        overridden.openClicked();
        ASSERT_TRUE(third.pumpUntil([&] { return third.finished == 1; }));
        EXPECT_EQ(overridden.session().rules, RuleSet::Safe);
    }
    const Settings kept = readSettings(settings);
    EXPECT_EQ(kept.rules, RuleSet::Spec);
    EXPECT_EQ(scourvane::files::fromUtf8(kept.lastFolder), dir / "Sales");
}

TEST_F(WindowPresenter, DroppedFileAndCommandLineProjectTakeTheDialogsPathAndTheDialogStartsInTheLastFolder) {
    const fs::path settings = dir / "config" / "settings.ini";
    const fs::path project = sample();
    presenter.start({settings, std::nullopt, std::nullopt});
    // No folder used yet: the toolkit chooses where the dialog starts.
    view.answer.reset();
    presenter.openClicked();
    EXPECT_EQ(view.dialogFolders.back(), fs::path());

    // A drop takes the first project file among the files, whatever its letter case.
    fs::rename(project, dir / "Sales" / "Sales.VBP");
    const fs::path dropped = dir / "Sales" / "Sales.VBP";
    EXPECT_FALSE(presenter.acceptsDrop({dir / "Sales" / "Sales.vbw"}));
    EXPECT_TRUE(presenter.acceptsDrop({dir / "Sales" / "Sales.vbw", dropped}));
    presenter.filesDropped({dir / "Sales" / "Sales.vbw", dropped});
    ASSERT_TRUE(view.pumpUntil([&] { return view.finished == 1; }));
    EXPECT_TRUE(view.boxes.empty());
    EXPECT_EQ(presenter.session().intake.projectPath, dropped);
    EXPECT_EQ(presenter.state().projectLabel, "Sales.VBP ﾌﾟﾛｼﾞｪｸﾄ");
    EXPECT_TRUE(presenter.state().runEnabled);
    EXPECT_EQ(view.dialogCalls, 1);
    // The dialog now starts where the dropped project lies.
    presenter.openClicked();
    EXPECT_EQ(view.dialogFolders.back(), dir / "Sales");

    // A project on the command line, relative to the current folder, goes the same way, in a
    // program started afresh; its dialog starts in the folder last used.
    fs::remove_all(dir / "Sales" / "New_Sales");
    RecordingView other;
    {
        const fs::path cwd = fs::current_path();
        fs::current_path(dir.path());
        Presenter started(other, [&other] { other.wake(); });
        other.presenter = &started;
        started.start({settings, std::nullopt, fs::path("Sales") / "Sales.VBP"});
        fs::current_path(cwd);
        ASSERT_TRUE(other.pumpUntil([&] { return other.finished == 1; }));
        EXPECT_TRUE(other.boxes.empty());
        EXPECT_EQ(started.session().intake.projectPath, dropped);
        EXPECT_TRUE(fs::exists(dir / "Sales" / "New_Sales" / "Sales.VBP"));
        EXPECT_EQ(started.state().modules, presenter.state().modules);
        other.answer.reset();
        started.openClicked();
        EXPECT_EQ(other.dialogFolders.back(), dir / "Sales");
        EXPECT_EQ(other.dialogCalls, 1);
    }
}

TEST_F(WindowPresenter, ReportPatchesAndWorkingCopyFolderThroughTheMenu) {
    const ScopedEnv cache("XDG_CACHE_HOME", (dir / "cache").string());
    const fs::path project = sample();
    fs::create_directories(dir / "original");
    testing::copyTree(testing::sourceDir() / "examples" / "Sales", dir / "original" / "Sales");
    view.answer = project;
    ASSERT_TRUE(click(&Presenter::openClicked));
    ASSERT_TRUE(click(&Presenter::runClicked));
    const fs::path copy = dir / "Sales" / "New_Sales";

    // The report: written in the user's cache folder, never in the project, and opened.
    view.menuAnswer = MenuItem::OpenReport;
    presenter.menuRequested({0, 0});
    ASSERT_EQ(view.openedFiles.size(), 1u);
    const fs::path report = view.openedFiles[0];
    EXPECT_EQ(report.parent_path(), dir / "cache" / "scourvane" / "reports");
    EXPECT_EQ(report.extension(), ".html");
    const std::string html = testing::readFile(report);
    EXPECT_NE(html.find("Sales.vbp"), std::string::npos);
    EXPECT_NE(html.find("<html"), std::string::npos);
    // Every finding of the run is in it, by name.
    ASSERT_FALSE(presenter.session().findings.empty());
    for (const Finding& f : presenter.session().findings)
        EXPECT_NE(html.find(text::toUtf8(f.name)), std::string::npos);

    // The patches: where the save dialog says, as patchOf makes them; the comment patch,
    // applied with git to the user's files as they were, gives the working copy's modules.
    EXPECT_TRUE(view.messages.empty());
    for (const auto& [item, mode, name] :
         {std::tuple{MenuItem::SavePatchComment, report::PatchMode::Comment, "comment.patch"},
          std::tuple{MenuItem::SavePatchRemove, report::PatchMode::Remove, "remove.patch"}}) {
        view.menuAnswer = item;
        view.patchAnswer = dir / name;
        presenter.menuRequested({0, 0});
        EXPECT_EQ(view.patchSuggestions.back(), dir / "Sales" / "Sales.patch");
        ASSERT_TRUE(fs::exists(dir / name)) << name;
        const report::Patch expected = patchOf(presenter.session(), mode);
        EXPECT_EQ(testing::readFile(dir / name), expected.text) << name;
        ASSERT_FALSE(view.messages.empty());
        EXPECT_NE(view.messages.back().find(scourvane::files::display(expected.root)), std::string::npos);
        EXPECT_NE(view.messages.back().find(scourvane::files::display(dir / name)), std::string::npos);
    }
    EXPECT_TRUE(view.boxes.empty());
    const report::Patch comment = patchOf(presenter.session(), report::PatchMode::Comment);
    const fs::path applyIn = dir / "original" / comment.root.lexically_relative(dir.path());
    ASSERT_EQ(std::system(("cd '" + applyIn.string() + "' && git apply --whitespace=nowarn '" +
                           (dir / "comment.patch").string() + "'")
                              .c_str()),
              0);
    int compared = 0;
    for (const auto& e : fs::recursive_directory_iterator(dir / "original" / "Sales")) {
        const std::string ext = e.path().extension().string();
        if (ext != ".bas" && ext != ".cls" && ext != ".frm") continue;
        EXPECT_EQ(testing::readFile(e.path()), testing::readFile(copy / e.path().filename()))
            << e.path();
        ++compared;
    }
    EXPECT_EQ(compared, static_cast<int>(presenter.session().modules.size()));

    // A patch is not put into the working copy, which holds the project's files only.
    view.menuAnswer = MenuItem::SavePatchComment;
    view.patchAnswer = copy / "in.patch";
    presenter.menuRequested({0, 0});
    EXPECT_FALSE(fs::exists(copy / "in.patch"));
    EXPECT_EQ(view.messages.back(), kPatchInWorkingCopy);
    // A cancelled save dialog writes nothing and says nothing.
    const std::size_t said = view.messages.size();
    view.patchAnswer.reset();
    presenter.menuRequested({0, 0});
    EXPECT_EQ(view.messages.size(), said);

    view.menuAnswer = MenuItem::OpenWorkingCopy;
    presenter.menuRequested({0, 0});
    EXPECT_EQ(view.openedFolders, std::vector<fs::path>{copy});
    // Choosing nothing does nothing.
    view.menuAnswer.reset();
    presenter.menuRequested({0, 0});
    EXPECT_EQ(view.openedFiles.size(), 1u);
    EXPECT_EQ(view.openedFolders.size(), 1u);
}

TEST_F(WindowPresenter, RepeatedRunStopsWhenARunFindsNothingAndShowsThatRunsCounters) {
    const ScopedEnv cache("XDG_CACHE_HOME", (dir / "cache").string());
    // What the engine does on its own on a second copy: the runs and the last run's counters.
    fs::create_directories(dir / "ref");
    testing::copyTree(testing::sourceDir() / "examples" / "Sales", dir / "ref" / "Sales");
    QuietWindow quiet;
    Engine reference(quiet);
    reference.intake(dir / "ref" / "Sales" / "Sales.vbp");
    int runs = 0;
    do {
        reference.run();
        ++runs;
    } while (!reference.session().findings.empty() && runs < kMostRepeatedRuns);
    ASSERT_GE(runs, 2) << "the sample finds nothing on a second run: the test would prove little";
    ASSERT_LT(runs, kMostRepeatedRuns);

    view.answer = sample();
    ASSERT_TRUE(click(&Presenter::openClicked));
    view.menuAnswer = MenuItem::RepeatUntilStable;
    const int before = view.finished;
    presenter.menuRequested({0, 0});
    EXPECT_TRUE(presenter.state().commandUnderWay);
    ASSERT_TRUE(view.pumpUntil([&] { return view.finished > before; }));
    EXPECT_TRUE(view.boxes.empty());
    EXPECT_TRUE(presenter.session().findings.empty());
    const Counters& last = reference.session().counters;
    for (int i = 0; i < kCounterCount; ++i) {
        const std::string want = std::to_string(last.get(static_cast<CounterId>(i)));
        EXPECT_EQ(presenter.state().counters[static_cast<std::size_t>(i)], want) << i;
        EXPECT_EQ(view.shown.counters[static_cast<std::size_t>(i)], want) << i;
    }
    EXPECT_TRUE(presenter.state().status.starts_with("終了しました。"));
    EXPECT_EQ(testing::snapshot(dir / "Sales" / "New_Sales"),
              testing::snapshot(dir / "ref" / "Sales" / "New_Sales"));
    // The report holds every one of those runs.
    view.menuAnswer = MenuItem::OpenReport;
    presenter.menuRequested({0, 0});
    ASSERT_EQ(view.openedFiles.size(), 1u);
    const std::string html = testing::readFile(view.openedFiles[0]);
    EXPECT_NE(html.find("第 " + std::to_string(runs) + " 回の結果"), std::string::npos);
    EXPECT_EQ(html.find("第 " + std::to_string(runs + 1) + " 回"), std::string::npos);
}

// A chain of private procedures, each called only by the one before: every run marks one more,
// so 25 of them would take 25 runs. The repetition stops at its cap, with the cap's run shown.
TEST_F(WindowPresenter, RepeatedRunStopsAtItsCapOnAProjectThatNeverSettles) {
    std::string module = "Attribute VB_Name = \"Chain\"\r\n";
    for (int i = 1; i <= 25; ++i)
        module += "Private Sub S" + std::to_string(i) + "()\r\n" +
                  (i < 25 ? "    S" + std::to_string(i + 1) + "\r\n" : std::string()) +
                  "End Sub\r\n";
    testing::writeFile(dir / "Chain" / "Chain.bas", module);
    testing::writeFile(dir / "Chain" / "Chain.vbp", "Module=Chain; Chain.bas\r\n");
    const ScopedEnv cache("XDG_CACHE_HOME", (dir / "cache").string());
    view.answer = dir / "Chain" / "Chain.vbp";
    ASSERT_TRUE(click(&Presenter::openClicked));
    view.menuAnswer = MenuItem::RepeatUntilStable;
    const int before = view.finished;
    presenter.menuRequested({0, 0});
    ASSERT_TRUE(view.pumpUntil([&] { return view.finished > before; }));
    // Run 20 still found something (S20), and no run 21 was made.
    EXPECT_FALSE(presenter.session().findings.empty());
    const std::string copy = testing::readFile(dir / "Chain" / "New_Chain" / "Chain.bas");
    EXPECT_NE(copy.find("|Private Sub S20()"), std::string::npos);
    EXPECT_EQ(copy.find("|Private Sub S21()"), std::string::npos);
    EXPECT_EQ(presenter.state().counters[static_cast<std::size_t>(indexOf(CounterId::UnusedPrivate))],
              "1");
}

TEST(WindowCommandLine, TakesTheRuleSetAndOneProject) {
    using Args = std::vector<std::string>;
    auto rules = [](const Args& a) { return parseCommandLine(a)->rules; };
    auto project = [](const Args& a) { return parseCommandLine(a)->project; };
    EXPECT_EQ(rules({}), std::nullopt);
    EXPECT_EQ(rules(Args{"--rules", "safe"}), RuleSet::Safe);
    EXPECT_EQ(rules(Args{"--rules=safe"}), RuleSet::Safe);
    EXPECT_EQ(rules(Args{"--rules=safe", "--rules", "spec"}), RuleSet::Spec);
    EXPECT_EQ(project(Args{"Sales.vbp"}), "Sales.vbp");
    EXPECT_EQ(project(Args{"--rules", "safe", "売上/Sales.vbp"}), "売上/Sales.vbp");
    EXPECT_EQ(rules(Args{"/w/Sales.vbp", "--rules=safe"}), RuleSet::Safe);
    EXPECT_EQ(project(Args{"--", "--odd.vbp"}), "--odd.vbp");
    for (const Args& bad : {Args{"--rules"}, Args{"--rules", "loose"}, Args{"--rules="},
                            Args{"a.vbp", "b.vbp"}, Args{"--verbose"}, Args{""}})
        EXPECT_FALSE(parseCommandLine(bad).has_value()) << bad.front();
}

}  // namespace
}  // namespace scourvane::window

namespace scourvane::window {
namespace {

// A folder of two projects, the second including the first's standard module: opened from the
// menu, listed project by project, run with one click, and patched as one.
TEST_F(WindowPresenter, AFolderOfProjectsIsOpenedRunAndPatchedAsOne) {
    const fs::path root = dir / "apps";
    fs::create_directories(root);
    testing::copyTree(testing::sourceDir() / "examples" / "Sales", root / "Sales");
    testing::writeFile(root / "Report/Report.vbp",
                       "Type=Exe\r\nModule=modUtil; ..\\Sales\\Modules\\modUtil.bas\r\n"
                       "Module=modReport; modReport.bas\r\nStartup=\"Sub Main\"\r\n");
    // The report uses a Public function that nothing in Sales uses.
    testing::writeFile(root / "Report/modReport.bas",
                       "Attribute VB_Name = \"modReport\"\r\nSub Main()\r\n"
                       "    Debug.Print WaitMs(1)\r\nEnd Sub\r\n");
    view.folderAnswer = root;
    presenter.menuChosen(MenuItem::OpenFolder);
    ASSERT_TRUE(view.pumpUntil([&] { return view.finished == 1; }));
    const std::vector<std::string>& rows = presenter.state().modules;
    ASSERT_FALSE(rows.empty());
    EXPECT_EQ(rows.front(), "[Report/Report.vbp]");
    EXPECT_NE(std::find(rows.begin(), rows.end(), "[Sales/Sales.vbp]"), rows.end());
    EXPECT_TRUE(presenter.state().runEnabled);

    ASSERT_TRUE(click(&Presenter::runClicked));
    EXPECT_EQ(presenter.session().projects.size(), 2u);
    const std::string shared = testing::readFile(root / "Sales/New_Sales/modUtil.bas");
    EXPECT_EQ(testing::readFile(root / "Report/New_Report/modUtil.bas"), shared);
    EXPECT_NE(shared.find("Public Sub WaitMs"), std::string::npos) << "used by Report";

    // One patch for both, offered beside the folder; the working copies' folder is the root.
    view.patchAnswer = dir / "both.patch";
    presenter.menuChosen(MenuItem::SavePatchComment);
    EXPECT_EQ(view.patchSuggestions.back(), root / "apps.patch");
    EXPECT_NE(testing::readFile(dir / "both.patch").find("of 2 projects"), std::string::npos);
    EXPECT_EQ(view.messages.back().find("注意"), std::string::npos);
    presenter.menuChosen(MenuItem::OpenWorkingCopy);
    EXPECT_EQ(view.openedFolders.back(), root);

    // Report alone changes the module Sales includes (below its patch's root, apps/): the
    // status box says so, and its patch comes with the warning.
    view.answer = root / "Report/Report.vbp";
    ASSERT_TRUE(click(&Presenter::openClicked));
    ASSERT_TRUE(click(&Presenter::runClicked));
    EXPECT_NE(presenter.state().status.find("注意"), std::string::npos) << presenter.state().status;
    view.patchAnswer = dir / "sales.patch";
    presenter.menuChosen(MenuItem::SavePatchComment);
    EXPECT_EQ(view.messages.back().rfind("注意", 0), 0u) << view.messages.back();
    EXPECT_NE(view.messages.back().find("Sales/Sales.vbp"), std::string::npos);
}

}  // namespace
}  // namespace scourvane::window

namespace scourvane::window {
namespace {

// Keeping from the review list: the keep file beside the project gets the entries (its own
// lines kept byte for byte), the next run leaves them alone, undo takes them off again, and a
// file that cannot be written gives its error box and stays as it was.
TEST_F(WindowPresenter, KeepingFindingsFromTheListAndUndoingIt) {
    view.answer = sample();
    const fs::path keepFile = dir / "Sales" / "scourvane-keep.txt";
    testing::writeFile(keepFile, "# ours\r\nmodUtil.Nothing\r\n");
    ASSERT_TRUE(click(&Presenter::openClicked));
    // The status box opens the review only once there is a run to review.
    presenter.statusClicked();
    EXPECT_EQ(view.findingsShown, 0);
    ASSERT_TRUE(click(&Presenter::runClicked));
    EXPECT_TRUE(presenter.state().reviewAvailable);
    presenter.statusClicked();
    EXPECT_EQ(view.findingsShown, 1);
    EXPECT_GE(view.findingsReloaded, 2);  // at the intake and after the run
    // The keep entry that names nothing reaches the window.
    ASSERT_EQ(presenter.runWarnings().size(), 1u);
    EXPECT_NE(presenter.runWarnings()[0].find("modUtil.Nothing"), std::string::npos);
    const std::size_t found = presenter.findings().rows().size();
    ASSERT_GT(found, 2u);
    const FindingRow row = presenter.findings().rows()[0];
    EXPECT_FALSE(presenter.findingCode(0).empty());

    ASSERT_TRUE(presenter.keepFindings({0}));
    EXPECT_EQ(testing::readFile(keepFile), "# ours\r\nmodUtil.Nothing\r\n" + row.keepEntry + "\r\n");
    EXPECT_TRUE(presenter.findings().rows()[0].kept);
    EXPECT_TRUE(presenter.canUndoKeep());

    // The next run keeps it: one finding fewer, none of them that declaration.
    ASSERT_TRUE(click(&Presenter::runClicked));
    std::size_t again = 0;
    for (const FindingRow& r : presenter.findings().rows())
        if (r.run == 2) {
            ++again;
            EXPECT_NE(r.keepEntry, row.keepEntry);
        }
    EXPECT_LT(again, found);

    ASSERT_TRUE(presenter.undoKeep());
    EXPECT_EQ(testing::readFile(keepFile), "# ours\r\nmodUtil.Nothing\r\n");
    EXPECT_FALSE(presenter.canUndoKeep());

    // Read-only: the error box, the file as it was.
    fs::permissions(keepFile, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    const std::size_t boxes = view.boxes.size();
    EXPECT_FALSE(presenter.keepFindings({1}));
    ASSERT_EQ(view.boxes.size(), boxes + 1);
    EXPECT_NE(view.boxes.back().find("scourvane-keep.txt"), std::string::npos) << view.boxes.back();
    EXPECT_EQ(testing::readFile(keepFile), "# ours\r\nmodUtil.Nothing\r\n");
}

}  // namespace
}  // namespace scourvane::window
