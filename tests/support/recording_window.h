#pragma once
// A Window that records everything the engine shows, for assertions on the exact sequence.
#include <functional>
#include <string>
#include <vector>

#include "base/window.h"

namespace scourvane::testing {

struct Event {
    std::string kind;  // "status", "counter", "project", "modules", "select", "progress",
                       // "busy", "run", "error"
    std::string text;  // the text, or the value as decimal
    int id = 0;        // counter index, error number
    bool operator==(const Event&) const = default;
};

class RecordingWindow : public Window {
  public:
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

    std::vector<Event> events;
    // Current state, as the window would show it.
    std::string status, projectLabel;
    std::string labels[kCounterCount];
    std::vector<std::string> modules;
    int selected = -1, progress = 0, yields = 0;
    bool busy = false, runEnabled = false;
    std::vector<std::string> errors;  // "Error N (description)"
    // Called on every yield; return false to ask the engine to stop (closing).
    std::function<bool()> onYield;

    std::vector<std::string> statuses() const;
    // The numbers of the error boxes shown, in order.
    std::vector<int> errorNumbers() const;
    std::string label(CounterId id) const { return labels[indexOf(id)]; }
};

}  // namespace scourvane::testing
