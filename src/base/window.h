#pragma once
// The one interface through which the engine reaches the window: the status box, the counter
// labels, the project label, the module list, the progress bar, the busy pointer, the run
// button, the error box and the yield. Texts are UTF-8, ready for display.
#include <string>
#include <vector>

namespace scourvane {

enum class CounterId { Dim, UnusedDim, Private, UnusedPrivate, Public, UnusedPublic };
inline constexpr int kCounterCount = 6;

class Window {
  public:
    virtual ~Window() = default;
    // LabInfo.
    virtual void setStatus(const std::string& text) = 0;
    // LabDim, LabUnusedDim, LabPrivate, LabUnusedPrivate, LabPublic, LabUnusedPublic.
    virtual void setCounterLabel(CounterId id, const std::string& text) = 0;
    // LabModules.
    virtual void setProjectLabel(const std::string& text) = 0;
    // ListModules: the rows, in the table's order.
    virtual void setModules(const std::vector<std::string>& rows) = 0;
    // The selected row of ListModules.
    virtual void selectModule(int row) = 0;
    // ProgressBar value, 0 to 100.
    virtual void setProgress(int value) = 0;
    // Hourglass pointer on (true) or back to the default (false).
    virtual void setBusy(bool busy) = 0;
    // ComDetectUnusedDeclarations enabled or disabled.
    virtual void setRunEnabled(bool enabled) = 0;
    // The error box: "Error N (description)" with an OK button; returns when it is closed.
    virtual void showError(int number, const std::string& description) = 0;
    // Lets the window handle what is pending; false when the program is closing.
    virtual bool yield() = 0;
};

// A window that shows nothing and never closes, for work done out of sight; a subclass keeps
// what it cares about.
class QuietWindow : public Window {
  public:
    void setStatus(const std::string&) override {}
    void setCounterLabel(CounterId, const std::string&) override {}
    void setProjectLabel(const std::string&) override {}
    void setModules(const std::vector<std::string>&) override {}
    void selectModule(int) override {}
    void setProgress(int) override {}
    void setBusy(bool) override {}
    void setRunEnabled(bool) override {}
    void showError(int, const std::string&) override {}
    bool yield() override { return true; }
};

// The text of the error box: "Error N (description)".
inline std::string errorBoxText(int number, const std::string& description) {
    return "Error " + std::to_string(number) + " (" + description + ")";
}

// Index of a counter in arrays of six, in the order of the enum.
inline int indexOf(CounterId id) {
    return static_cast<int>(id);
}

}  // namespace scourvane
