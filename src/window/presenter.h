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

#include "engine/engine.h"
#include "window/engine_worker.h"
#include "window/window_bridge.h"
#include "window/window_state.h"

namespace scourvane::window {

class View {
  public:
    virtual ~View() = default;
    // Draws what `changes` (Change bits) says has changed in `state`.
    virtual void refresh(const WindowState& state, unsigned changes) = 0;
    // The open dialog: a project file, or nullopt when the user cancels.
    virtual std::optional<std::filesystem::path> askForProject() = 0;
    // The modal error box, "Error N (description)" with OK; returns when it is closed.
    virtual void showErrorBox(const std::string& text) = 0;
    // Asks the shell to open `url` with its "open" verb; the result is not looked at.
    virtual void openUrl(const std::string& url) = 0;
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

    // Input, on the window's thread.
    void openClicked();
    void runClicked();
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
    void startCommand(std::function<void()> command);
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

    WindowBridge bridge_;
    Engine engine_;
    EngineWorker worker_;
};

}  // namespace scourvane::window
