#pragma once
// What a pass works with: the window, the session's tables and counters, the working copy, and
// the progress bar, which is told only when its value changes.
#include <cstdint>
#include <filesystem>
#include <string>

#include "base/counters.h"
#include "base/progress.h"
#include "base/session.h"
#include "base/window.h"

namespace scourvane {

class RunContext {
  public:
    RunContext(Session& session, Window& window) : session_(session), window_(window) {}

    Window& window() { return window_; }
    Session& session() { return session_; }
    const std::vector<Bytes>& modules() const { return session_.modules; }
    std::vector<Bytes>& objects() { return session_.objects; }
    Counters& counters() { return session_.counters; }
    const fs::path& workingCopy() const { return session_.intake.workingCopy; }

    // The file of a module in the working copy. Throws RunError 52 when the row is no bare
    // file name (empty, ".", "..", a separator): nothing is ever written outside the copy.
    fs::path moduleFile(const Bytes& row) const;

    // Yields to the window; unwinds with Closing when the program is closing.
    void yield() {
        if (!quiet_) yieldToWindow();
    }
    // The progress step for total and done.
    void progress(std::int64_t total, std::int64_t done) {
        if (!quiet_) setProgress(progressValue(total, done));
    }
    void setProgress(int value);
    // For work done ahead on a window that shows no progress and never closes: yields and
    // progress steps are not passed on (a pass makes one per line).
    void passNoYieldsOrProgress() { quiet_ = true; }
    // Shows the module table in the window, names decoded for display.
    void showModules();
    // Adds to a counter and shows it.
    void bump(CounterId id, std::int32_t delta = 1) { session_.counters.add(id, delta, window_); }

    // The row of the module being processed, which the findings added from now on belong to.
    void setModuleRow(std::size_t row) { moduleRow_ = row; }
    // Records findings whose marks are in the working copy now (their file is written).
    void addFindings(std::vector<Finding> found);

  private:
    void yieldToWindow();

    Session& session_;
    Window& window_;
    bool quiet_ = false;
    int lastProgress_ = -1;
    std::size_t moduleRow_ = 0;
};

}  // namespace scourvane
