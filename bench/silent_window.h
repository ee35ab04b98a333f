#pragma once
// The engine's window with nothing to show: the cost of the engine's work alone.
#include "base/window.h"

namespace scourvane::bench {

class SilentWindow : public Window {
  public:
    void setStatus(const std::string&) override {}
    void setCounterLabel(CounterId, const std::string&) override {}
    void setProjectLabel(const std::string&) override {}
    void setModules(const std::vector<std::string>&) override {}
    void selectModule(int) override {}
    void setProgress(int) override {}
    void setBusy(bool) override {}
    void setRunEnabled(bool) override {}
    void showError(int, const std::string&) override { ++errors; }
    bool yield() override {
        ++yields;
        return true;
    }
    long errors = 0;
    long yields = 0;
};

}  // namespace scourvane::bench
