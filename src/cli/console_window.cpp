#include "cli/console_window.h"

#include <atomic>

#include "cli/console_output.h"

namespace scourvane::cli {

namespace {
std::atomic<bool> stopRequested{false};

std::string oneLine(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') continue;
        out += text[i] == '\n' ? ' ' : text[i];
    }
    return out;
}
}  // namespace

void requestStop() {
    stopRequested.store(true);
}

void ConsoleWindow::setStatus(const std::string& text) {
    if (!interactive_) return;
    status_ = text;
    redrawSoon();
}

void ConsoleWindow::setProgress(int value) {
    if (!interactive_) return;
    progress_ = value;
    redrawSoon();
}

void ConsoleWindow::redrawSoon() {
    dirty_ = true;
    const auto now = std::chrono::steady_clock::now();
    if (now - lastDrawn_ < std::chrono::milliseconds(50)) return;
    lastDrawn_ = now;
    redraw();
}

void ConsoleWindow::redraw() {
    if (!interactive_ || !dirty_) return;
    dirty_ = false;
    constexpr int kWidth = 20;
    const int filled = progress_ * kWidth / 100;
    std::string bar(static_cast<std::size_t>(filled), '#');
    bar.append(static_cast<std::size_t>(kWidth - filled), '.');
    char percent[16];
    std::snprintf(percent, sizeof percent, "%3d%%", progress_);
    writeText(err_, "\r\033[K[" + bar + "] " + percent + "  " + oneLine(status_));
    drawn_ = true;
}

void ConsoleWindow::finish() {
    if (!drawn_) return;
    writeText(err_, "\r\033[K");
    drawn_ = false;
}

void ConsoleWindow::showError(int number, const std::string& description) {
    finish();
    // Written whole: a file name may hold a NUL byte, where a C string would end.
    const std::string line = errorBoxText(number, description) + "\n";
    writeText(err_, line);
    errors_.push_back({number, description});
}

bool ConsoleWindow::yield() {
    if (dirty_) redrawSoon();
    return !stopRequested.load();
}

}  // namespace scourvane::cli
