#pragma once
// The engine's window with nothing to show: the cost of the engine's work alone. It counts what
// it is given, so that a benchmark can say how much the engine tells its window.
#include "base/window.h"

namespace scourvane::bench {

class SilentWindow : public Window {
  public:
    void setStatus(const std::string&) override { ++statuses; }
    void setCounterLabel(CounterId, const std::string&) override {}
    void setProjectLabel(const std::string&) override {}
    void setModules(const std::vector<std::string>&) override {}
    void selectModule(int) override {}
    void setProgress(int) override {}
    void setBusy(bool) override {}
    void setRunEnabled(bool) override {}
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
