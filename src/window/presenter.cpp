#include "window/presenter.h"

#include <algorithm>
#include <chrono>

#include "window/texts.h"

namespace scourvane::window {

Presenter::Presenter(View& view, std::function<void()> wake)
    : view_(view), wake_(std::move(wake)), bridge_(wake_), engine_(bridge_) {
    state_.title = kCaption;
}

Presenter::~Presenter() {
    bridge_.close();
    // The worker's destructor waits for the command under way, which unwinds at its next yield.
}

void Presenter::setRules(RuleSet rules) {
    engine_.setRules(rules);
    state_.title = windowTitle(rules);
    view_.refresh(state_, kTitle);
}

void Presenter::openClicked() {
    if (state_.commandUnderWay || closing()) return;
    state_.status.clear();
    state_.progress = 0;
    view_.refresh(state_, kStatus | kProgress);
    const std::optional<std::filesystem::path> chosen = view_.askForProject();
    if (!chosen || closing() || state_.commandUnderWay) return;
    startCommand([this, path = *chosen] { engine_.intake(path); });
}

void Presenter::runClicked() {
    if (state_.commandUnderWay || closing() || !state_.runEnabled) return;
    startCommand([this] { engine_.run(); });
}

void Presenter::exitClicked() {
    view_.closeWindow();
}

void Presenter::exitImagePressed() {
    state_.exitPressed = true;
    view_.refresh(state_, kExitPicture);
}

void Presenter::exitImageReleased() {
    state_.exitPressed = false;
    view_.refresh(state_, kExitPicture);
    view_.drawNow();
    view_.closeWindow();
}

void Presenter::titlePressed(MouseButton button, Point cursor, Point windowTopLeft) {
    if (button != MouseButton::Left) return;
    dragging_ = true;
    grabOffset_ = cursor - windowTopLeft;
}

void Presenter::titleMoved(Point cursor) {
    if (dragging_) view_.moveWindow(cursor - grabOffset_);
}

void Presenter::titleReleased() {
    dragging_ = false;
}

void Presenter::linkClicked(const std::string& shown) {
    openingLink_ = true;
    setWaitPointer();
    view_.openUrl(shown);
    openingLink_ = false;
    setWaitPointer();
}

void Presenter::windowClosing() {
    bridge_.close();
    engineBusy_ = false;
    dragging_ = false;
    setWaitPointer();
}

void Presenter::setWaitPointer() {
    const bool wait = engineBusy_ || openingLink_;
    if (wait == state_.waitPointer) return;
    state_.waitPointer = wait;
    view_.refresh(state_, kPointer);
}

void Presenter::startCommand(std::function<void()> command) {
    state_.commandUnderWay = true;
    worker_.post([this, command = std::move(command)] {
        if (!bridge_.closing()) {
            bridge_.beginCommand();
            command();
        }
        finished_.fetch_add(1, std::memory_order_release);
        wake_();
    });
}

void Presenter::apply(DisplayUpdate u) {
    unsigned changes = 0;
    if (u.modules) {
        state_.modules = std::move(*u.modules);
        // Rows renamed in place keep the selection; a new list sends its own (-1) with it.
        if (state_.selected >= static_cast<int>(state_.modules.size())) state_.selected = -1;
        changes |= kModules;
    }
    if (u.selected) {
        const int row = *u.selected;
        state_.selected = row >= 0 && row < static_cast<int>(state_.modules.size()) ? row : -1;
        changes |= kSelection;
    }
    if (u.projectLabel) {
        state_.projectLabel = std::move(*u.projectLabel);
        changes |= kProjectLabel;
    }
    if (u.status) {
        state_.status = std::move(*u.status);
        changes |= kStatus;
    }
    for (std::size_t i = 0; i < u.counters.size(); ++i)
        if (u.counters[i]) {
            state_.counters[i] = std::move(*u.counters[i]);
            changes |= kCounters;
        }
    if (u.progress) {
        state_.progress = std::clamp(*u.progress, 0, 100);
        changes |= kProgress;
    }
    if (u.runEnabled) {
        state_.runEnabled = *u.runEnabled;
        changes |= kRunEnabled;
    }
    if (changes) view_.refresh(state_, changes);
    if (u.busy) {
        engineBusy_ = *u.busy;
        setWaitPointer();
    }
}

void Presenter::handlePending() {
    // An error box's own event loop may bring this call again: the box's caller takes it after.
    if (inErrorBox_) {
        pendingAgain_ = true;
        return;
    }
    // Read before the update is taken: a command counted here has left all it shows pending.
    const int finished = finished_.load(std::memory_order_acquire);
    DisplayUpdate u = bridge_.take();
    std::optional<ErrorBox> error = std::move(u.error);
    apply(std::move(u));
    if (error) {
        if (!closing()) {
            inErrorBox_ = true;
            view_.showErrorBox(error->text());
            inErrorBox_ = false;
        }
        bridge_.errorAnswered();
    }
    while (finishedShown_ < finished) {
        ++finishedShown_;
        state_.commandUnderWay = false;
        view_.commandEnded();
    }
    if (pendingAgain_) {
        pendingAgain_ = false;
        handlePending();
    }
}

void Presenter::setYieldHook(std::function<void()> hook) {
    // Set on the worker, so that it is never read and written at once.
    worker_.post([this, hook = std::move(hook)]() mutable { bridge_.setYieldHook(std::move(hook)); });
}

bool Presenter::stopWorker(int ms) {
    bridge_.close();
    return worker_.stop(std::chrono::milliseconds(ms));
}

}  // namespace scourvane::window
