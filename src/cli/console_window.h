#pragma once
// The engine's window as a terminal: status and a progress bar on stderr when it is a
// terminal, each error box as one line "Error N (description)" on stderr.
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "base/window.h"

namespace scourvane::cli {

struct ErrorRecord {
    int number;
    std::string description;
};

class ConsoleWindow : public Window {
  public:
    ConsoleWindow(std::FILE* err, bool interactive) : err_(err), interactive_(interactive) {}

    void setStatus(const std::string& text) override;
    void setCounterLabel(CounterId, const std::string&) override {}
    void setProjectLabel(const std::string&) override {}
    void setModules(const std::vector<std::string>& rows) override { modules_ = rows; }
    void selectModule(int) override {}
    void setProgress(int value) override;
    void setBusy(bool) override {}
    void setRunEnabled(bool) override {}
    void showError(int number, const std::string& description) override;
    bool yield() override;

    // Clears the status line, if one is drawn.
    void finish();
    const std::vector<ErrorRecord>& errors() const { return errors_; }
    const std::vector<std::string>& modules() const { return modules_; }

  private:
    // Draws the status line when something changed and the last drawing is old enough: a run
    // sets thousands of texts a second, and a terminal would spend its time painting them.
    void redrawSoon();
    void redraw();

    std::FILE* err_;
    bool interactive_;
    std::string status_;
    int progress_ = 0;
    bool drawn_ = false;
    bool dirty_ = false;
    std::chrono::steady_clock::time_point lastDrawn_{};
    std::vector<ErrorRecord> errors_;
    std::vector<std::string> modules_;
};

// Set from a SIGINT handler: the next yield ends the work, leaving every file whole.
void requestStop();

}  // namespace scourvane::cli
