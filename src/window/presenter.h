#pragma once
// The window's behaviour, for every toolkit: what each click does, what the window shows while
// the engine works on its own thread, the error box that holds the engine until it is closed,
// the drag by the title strip, the exit image and the link. A toolkit implements View: it draws
// the state, asks the platform's dialogs, and forwards the user's input to the presenter.
#include <atomic>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include <deque>
#include <vector>

#include "engine/engine.h"
#include "report/patch.h"
#include "report/report_data.h"
#include "window/engine_worker.h"
#include "window/findings_list.h"
#include "window/menu.h"
#include "window/settings.h"
#include "window/window_bridge.h"
#include "window/window_state.h"

namespace scourvane::window {

class View {
  public:
    virtual ~View() = default;
    // Draws what `changes` (Change bits) says has changed in `state`.
    virtual void refresh(const WindowState& state, unsigned changes) = 0;
    // The open dialog, starting in `startFolder` (empty: the toolkit's own choice): a project
    // file, or nullopt when the user cancels.
    virtual std::optional<std::filesystem::path> askForProject(
        const std::filesystem::path& startFolder) = 0;
    // The folder dialog, starting in `startFolder`: a folder whose projects are run together,
    // or nullopt when the user cancels.
    virtual std::optional<std::filesystem::path> askForFolder(
        const std::filesystem::path& startFolder) = 0;
    // Shows the review of the findings (the presenter's findings()), opening its window or
    // bringing it to the front.
    virtual void showFindings() = 0;
    // The findings' list was loaded again (a run ended, a project was opened): a review window
    // that is open draws it again.
    virtual void findingsChanged() {}
    // The modal error box, "Error N (description)" with OK; returns when it is closed.
    virtual void showErrorBox(const std::string& text) = 0;
    // A modal message box with OK; returns when it is closed.
    virtual void showMessage(const std::string& text) = 0;
    // Asks the shell to open `url` with its "open" verb; the result is not looked at.
    virtual void openUrl(const std::string& url) = 0;
    // Opens a document in its default program (a report in the browser), or a folder in the
    // file manager, through the shell; the result is not looked at.
    virtual void openFile(const std::filesystem::path& file) = 0;
    virtual void openFolder(const std::filesystem::path& folder) = 0;
    // The menu as a popup at `screenAt` (screen pixels): the item chosen, or nullopt.
    virtual std::optional<MenuItem> showMenu(Point screenAt,
                                             const std::vector<MenuEntry>& entries) = 0;
    // The save dialog of a patch, offering `suggested`: the file chosen, or nullopt.
    virtual std::optional<std::filesystem::path> askForPatchFile(
        const std::filesystem::path& suggested) = 0;
    // Moves the window's top-left corner to `topLeft` (screen pixels).
    virtual void moveWindow(Point topLeft) = 0;
    // Draws what is pending at once.
    virtual void drawNow() = 0;
    // Closes the window; the toolkit calls windowClosing() as it closes.
    virtual void closeWindow() = 0;
    // An intake or a run has ended and everything it showed is on the window.
    virtual void commandEnded() {}
};

enum class MouseButton { Left, Right, Middle, Other };

// How a window program starts: where its settings are kept (empty: nowhere, as in tests), the
// rule set of its command line (nullopt: the remembered one), and a project to take in at once.
struct StartOptions {
    std::filesystem::path settingsFile;
    std::optional<RuleSet> rules;
    std::optional<std::filesystem::path> project;
};

// At most this many runs when the run is repeated until it finds nothing.
inline constexpr int kMostRepeatedRuns = 20;

class Presenter {
  public:
    // `wake` is called on the engine's thread whenever something waits for handlePending() on
    // the window's thread; the toolkit posts that call to its event queue.
    Presenter(View& view, std::function<void()> wake);
    // Closes the bridge and waits for the engine's thread.
    ~Presenter();

    const WindowState& state() const { return state_; }
    // The rule set of the commands from now on, and the title that says it. Call it before any
    // command.
    void setRules(RuleSet rules);

    // Reads the settings, sets the rule set and takes in the project of the command line.
    void start(const StartOptions& options);
    const Settings& settings() const { return settings_; }

    // Input, on the window's thread.
    void openClicked();
    // The intake of a project file however it was chosen: the open dialog, a file dropped on
    // the window, the command line. Ignored while a command is under way.
    void openProject(const std::filesystem::path& project);
    // The project file among files dropped on the window: the first ".vbp" (any letter case).
    static std::optional<std::filesystem::path> projectAmong(
        const std::vector<std::filesystem::path>& files);
    // Whether a drop of `files` would be taken now, and the drop itself.
    bool acceptsDrop(const std::vector<std::filesystem::path>& files) const;
    void filesDropped(const std::vector<std::filesystem::path>& files);
    // The menu as it stands, and the menu shown at `screenAt` (the menu image was clicked, or
    // the panel right-clicked), with what the chosen item does.
    std::vector<MenuEntry> menu() const;
    void menuRequested(Point screenAt);
    void menuChosen(MenuItem item);
    void runClicked();
    // A click on the status box: after a run, the review of its findings.
    void statusClicked();
    // What the last run said besides its findings (keep entries that name nothing, modules other
    // projects include too), for the review.
    const std::vector<std::string>& runWarnings() const { return runWarnings_; }
    void exitClicked();
    void exitImagePressed();
    void exitImageReleased();
    // The title strip: a left-button press starts a drag, a move drags the window so that the
    // grabbed point stays under the cursor, a release of any button ends it. `cursor` and
    // `windowTopLeft` in screen pixels.
    void titlePressed(MouseButton button, Point cursor, Point windowTopLeft);
    void titleMoved(Point cursor);
    void titleReleased();
    bool dragging() const { return dragging_; }
    // Opens what the link label shows at the moment of the click, under the hourglass.
    void linkClicked(const std::string& shown);
    // The window is closing, by any means: the command under way unwinds at its next yield, an
    // error box waiting is given up.
    void windowClosing();

    // Window's thread: shows what the engine left pending; after `wake`.
    void handlePending();

    // The review of the findings of the runs since the project was opened: the list (sorted and
    // filtered by the view), and the code around a row's finding as its working copy holds it.
    FindingsList& findings() { return findings_; }
    const FindingsList& findings() const { return findings_; }
    std::vector<CodeLine> findingCode(std::size_t row, int context = 3) const;
    // Keeps the declarations of the rows (indices into findings().rows()): their entries are
    // added to the keep file beside their project's file, the only file the window writes in
    // the user's folders. False, after its error box, when a file cannot be written (it is then
    // unchanged). Each call can be undone, the last first; undoing takes off only the lines it
    // added.
    bool keepFindings(const std::vector<std::size_t>& rows);
    bool canUndoKeep() const { return !keeps_.empty(); }
    bool undoKeep();
    // True when a keep or an undo changed a keep file since the project was taken in: the next
    // run takes it in again first, so that the copy no longer holds what the earlier runs marked.
    bool keptSinceIntake() const { return keptSinceIntake_; }
    // The engine's state; read it only while no command is under way.
    const Session& session() const { return engine_.session(); }
    // The engine's side of the window, as the worker uses it.
    Window& engineWindow() { return bridge_; }
    bool closing() const { return bridge_.closing(); }
    // Runs `hook` on the worker at every yield of the engine, from the next command on.
    void setYieldHook(std::function<void()> hook);
    // Gives the program up: the engine's yields fail from now on. Waits at most `ms` for the
    // worker to end; true when it has.
    bool stopWorker(int ms);

  private:
    // `command` runs on the worker; `ended`, if any, on the window's thread when the window has
    // taken everything the command showed.
    void startCommand(std::function<void()> command, std::function<void()> ended = {});
    void startRuns(int most);
    void chooseRules(RuleSet rules);
    void useCodePage(int codePage);
    void openReport();
    void savePatch(report::PatchMode mode);
    void saveSettings();
    std::filesystem::path dialogFolder() const;
    void apply(DisplayUpdate update);
    void setWaitPointer();

    View& view_;
    std::function<void()> wake_;
    WindowState state_;
    bool engineBusy_ = false;
    bool openingLink_ = false;
    bool dragging_ = false;
    Point grabOffset_;
    bool inErrorBox_ = false;
    bool pendingAgain_ = false;
    std::atomic<int> finished_{0};  // commands the worker has ended
    int finishedShown_ = 0;         // of those, the ones the window has taken
    std::deque<std::function<void()>> endActions_;  // one per command not yet taken

    std::filesystem::path settingsFile_;
    Settings settings_;  // as remembered; the command line's rule set is not
    RuleSet rules_ = RuleSet::Safe;
    bool runDone_ = false;  // a run has ended since the last intake
    // The runs since the last intake, for the report: written on the worker during a command,
    // read on the window's thread between commands.
    report::ReportData runs_;
    FindingsList findings_;
    bool keptSinceIntake_ = false;
    std::vector<std::string> runWarnings_;
    // What each keep added, per project folder, the last keep last.
    std::vector<std::vector<std::pair<std::filesystem::path, std::vector<std::string>>>> keeps_;
    std::vector<report::ErrorShown> errorsShown_;  // the error boxes since the last intake

    WindowBridge bridge_;
    Engine engine_;
    EngineWorker worker_;
};

}  // namespace scourvane::window
