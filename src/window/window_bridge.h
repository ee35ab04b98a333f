#pragma once
// The engine's Window as the worker thread sees it. The worker writes what the window should
// show into one pending update, guarded by a mutex; the first change after the window took the
// last update asks for one flush on the window's thread. However fast the worker goes, at most
// one flush waits in the window's queue and every kind of value keeps only its latest state.
// An error box is the exception to coalescing: the worker waits until the box is closed, so
// what happens after the box happens after it, as the user sees it.
#include <array>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "base/window.h"

namespace scourvane::window {

struct ErrorBox {
    int number = 0;
    std::string description;
    // "Error N (description)".
    std::string text() const;
};

// What changed since the window last looked; an empty optional is "unchanged".
struct DisplayUpdate {
    std::optional<std::string> status;
    std::optional<std::string> projectLabel;
    std::array<std::optional<std::string>, kCounterCount> counters;
    std::optional<std::vector<std::string>> modules;
    // Row to select after the modules (if any) are shown; -1 selects none.
    std::optional<int> selected;
    std::optional<int> progress;
    std::optional<bool> busy;
    std::optional<bool> runEnabled;
    std::optional<ErrorBox> error;
};

class WindowBridge : public Window {
  public:
    // `requestFlush` is called on the worker's thread when an update becomes pending; it must
    // post a call of take() (and the application of its result) to the window's thread.
    explicit WindowBridge(std::function<void()> requestFlush);

    // Window, called on the worker's thread.
    void setStatus(const std::string& text) override;
    void setCounterLabel(CounterId id, const std::string& text) override;
    void setProjectLabel(const std::string& text) override;
    void setModules(const std::vector<std::string>& rows) override;
    void selectModule(int row) override;
    void setProgress(int value) override;
    void setBusy(bool busy) override;
    void setRunEnabled(bool enabled) override;
    void showError(int number, const std::string& description) override;
    bool yield() override;

    // Worker's thread, before each command: a command's first module list replaces the list
    // (and its selection); a later one of the same length only renames rows in place.
    void beginCommand();

    // Window's thread: the pending update, after which the next change asks for a new flush.
    DisplayUpdate take();
    // Window's thread: the error box of the last update was closed; the worker goes on.
    void errorAnswered();
    // Any thread: the program is closing. yield() returns false from now on, an error box the
    // worker waits for is given up and no further box is asked for.
    void close();
    bool closing() const { return closing_.load(std::memory_order_acquire); }

    // Called on the worker at every yield, before the closing test. Lets tests and the
    // benchmark load the worker or act at a chosen point of a command.
    void setYieldHook(std::function<void()> hook);

  private:
    // Called with the lock held after a change: asks for a flush unless one is on its way.
    void changed(std::unique_lock<std::mutex>& lock);

    std::function<void()> requestFlush_;
    std::mutex mutex_;
    std::condition_variable errorClosed_;
    DisplayUpdate pending_;
    bool flushRequested_ = false;
    bool errorOpen_ = false;
    std::atomic<bool> closing_{false};
    // Worker's thread only.
    bool listedInCommand_ = false;
    std::size_t listedRows_ = 0;
    std::function<void()> yieldHook_;
};

}  // namespace scourvane::window
