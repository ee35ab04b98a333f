#include "window/window_bridge.h"

namespace scourvane::window {

std::string ErrorBox::text() const {
    return errorBoxText(number, description);
}

WindowBridge::WindowBridge(std::function<void()> requestFlush)
    : requestFlush_(std::move(requestFlush)) {}

void WindowBridge::changed(std::unique_lock<std::mutex>& lock) {
    if (flushRequested_) return;
    flushRequested_ = true;
    lock.unlock();
    requestFlush_();
}

void WindowBridge::setStatus(const std::string& text) {
    std::unique_lock lock(mutex_);
    pending_.status = text;
    changed(lock);
}

void WindowBridge::setCounterLabel(CounterId id, const std::string& text) {
    std::unique_lock lock(mutex_);
    pending_.counters[static_cast<std::size_t>(indexOf(id))] = text;
    changed(lock);
}

void WindowBridge::setProjectLabel(const std::string& text) {
    std::unique_lock lock(mutex_);
    pending_.projectLabel = text;
    changed(lock);
}

void WindowBridge::beginCommand() {
    listedInCommand_ = false;
}

void WindowBridge::setModules(const std::vector<std::string>& rows) {
    const bool renamedInPlace = listedInCommand_ && rows.size() == listedRows_;
    listedInCommand_ = true;
    listedRows_ = rows.size();
    std::unique_lock lock(mutex_);
    pending_.modules = rows;
    // A new list starts with no row selected; a renamed one keeps its selection.
    if (!renamedInPlace) pending_.selected = -1;
    changed(lock);
}

void WindowBridge::selectModule(int row) {
    std::unique_lock lock(mutex_);
    pending_.selected = row;
    changed(lock);
}

void WindowBridge::setProgress(int value) {
    std::unique_lock lock(mutex_);
    pending_.progress = value;
    changed(lock);
}

void WindowBridge::setBusy(bool busy) {
    std::unique_lock lock(mutex_);
    pending_.busy = busy;
    changed(lock);
}

void WindowBridge::setRunEnabled(bool enabled) {
    std::unique_lock lock(mutex_);
    pending_.runEnabled = enabled;
    changed(lock);
}

void WindowBridge::showError(int number, const std::string& description) {
    std::unique_lock lock(mutex_);
    if (closing()) return;
    pending_.error = ErrorBox{number, description};
    errorOpen_ = true;
    if (!flushRequested_) {
        flushRequested_ = true;
        lock.unlock();
        requestFlush_();
        lock.lock();
    }
    errorClosed_.wait(lock, [this] { return !errorOpen_ || closing(); });
}

bool WindowBridge::yield() {
    if (yieldHook_) yieldHook_();
    return !closing();
}

DisplayUpdate WindowBridge::take() {
    std::lock_guard lock(mutex_);
    flushRequested_ = false;
    return std::exchange(pending_, DisplayUpdate{});
}

void WindowBridge::errorAnswered() {
    {
        std::lock_guard lock(mutex_);
        errorOpen_ = false;
    }
    errorClosed_.notify_all();
}

void WindowBridge::close() {
    {
        std::lock_guard lock(mutex_);
        closing_.store(true, std::memory_order_release);
        pending_.error.reset();
    }
    errorClosed_.notify_all();
}

void WindowBridge::setYieldHook(std::function<void()> hook) {
    yieldHook_ = std::move(hook);
}

}  // namespace scourvane::window
