#pragma once
// The engine's window with nothing to show: the cost of the engine's work alone. It counts what
// it is given, so that a benchmark can say how much the engine tells its window.
#include "base/window.h"

namespace scourvane::bench {

class SilentWindow : public QuietWindow {
  public:
    void setStatus(const std::string&) override { ++statuses; }
    void showError(int number, const std::string& description) override {
        if (errors++ == 0) firstError = errorBoxText(number, description);
    }
    bool yield() override {
        ++yields;
        return true;
    }
    long errors = 0;
    long yields = 0;
    long statuses = 0;
    std::string firstError;
};

}  // namespace scourvane::bench
