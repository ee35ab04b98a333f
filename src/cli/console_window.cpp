#include "cli/console_window.h"

#include <atomic>

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
    status_ = oneLine(text);
    redraw();
}

void ConsoleWindow::setProgress(int value) {
    progress_ = value;
    redraw();
}

void ConsoleWindow::redraw() {
    if (!interactive_) return;
    constexpr int kWidth = 20;
    const int filled = progress_ * kWidth / 100;
    std::string bar(static_cast<std::size_t>(filled), '#');
    bar.append(static_cast<std::size_t>(kWidth - filled), '.');
    std::fprintf(err_, "\r\033[K[%s] %3d%%  %s", bar.c_str(), progress_, status_.c_str());
    std::fflush(err_);
    drawn_ = true;
}

void ConsoleWindow::finish() {
    if (!drawn_) return;
    std::fprintf(err_, "\r\033[K");
    std::fflush(err_);
    drawn_ = false;
}

void ConsoleWindow::showError(int number, const std::string& description) {
    finish();
    std::fprintf(err_, "%s\n", errorBoxText(number, description).c_str());
    std::fflush(err_);
    errors_.push_back({number, description});
}

bool ConsoleWindow::yield() {
    return !stopRequested.load();
}

}  // namespace scourvane::cli
