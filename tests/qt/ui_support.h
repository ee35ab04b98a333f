#pragma once
// Helpers for the window's tests: finding controls, waiting for commands, answering error
// boxes, sending mouse events with exact positions, and small projects on disk.
#include <gtest/gtest.h>

#include <QLabel>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "qt/main_window.h"

namespace scourvane::testing {

namespace fs = std::filesystem;

template <class T = QWidget>
T* control(QWidget& window, const char* name) {
    T* found = window.findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(found, nullptr) << "no control " << name;
    return found;
}

// Waits for the end of the command started after it was made.
class CommandWaiter {
  public:
    explicit CommandWaiter(qt::MainWindow& window)
        : spy_(&window, &qt::MainWindow::commandFinished) {}
    // True when the command ended within `ms`.
    bool wait(int ms = 60000) { return spy_.count() > 0 || spy_.wait(ms); }

  private:
    QSignalSpy spy_;
};

// Answers every error box shown while it lives with OK, recording its text; `onBox` runs while
// the box is still open.
class ErrorBoxAnswerer {
  public:
    explicit ErrorBoxAnswerer(std::function<void(const QString&)> onBox = {});
    QStringList texts;

  private:
    QTimer timer_;
    std::function<void(const QString&)> onBox_;
};

// Sends a mouse event with the given local and global positions straight to `w`.
void sendMouse(QWidget* w, QEvent::Type type, QPoint local, QPoint global, Qt::MouseButton button,
               Qt::MouseButtons buttons);

// Runs the event loop for `ms`, or until `done` holds.
bool processUntil(const std::function<bool()>& done, int ms = 10000);

// A window whose open dialog answers with `project` (nullopt: cancelled), counting its calls.
struct DialogAnswer {
    std::optional<fs::path> project;
    int calls = 0;
};
void answerDialogWith(qt::MainWindow& window, DialogAnswer& answer);

// Sales/Sales.vbp with its workspace file, a form Main.frm (with Main.frx) whose header holds
// Form1 and Command1, and a standard module Util.bas; CP932 text with CR LF. Returns the
// project file.
fs::path writeSalesProject(const fs::path& root, bool withWorkspace = true);

// The files of a working copy that are left-overs of writes: temporary files of the atomic
// writers.
std::vector<std::string> temporaryFiles(const fs::path& folder);

}  // namespace scourvane::testing
