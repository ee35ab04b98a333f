// ui_responsiveness [LINES] [MODULES]: how long the window's own thread goes without handling
// its events while the engine takes in and checks a generated project through the window
// (default 1,000,000 lines in 200 modules), printed as one Markdown table.
//
// A 1 ms timer ticks on the window's thread; the longest gap between two ticks is the longest
// time the window could not repaint, move or take a click. Baselines from the same run: the
// longest gap while the window is idle, and the time the engine alone needs for the same
// project with a window that shows nothing.
//
// The engine's updates reach the window coalesced: each update the window takes (one queued
// call on its thread) shows only the latest of every kind of value. The table gives how many
// status texts the engine sends (counted by the window that shows nothing, on an identical
// project), how many updates the window took, and how many times its status box changed.
#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QEventLoop>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <thread>

#include "engine/engine.h"
#include "markdown_table.h"
#include "project_generator.h"
#include "silent_window.h"
#include "text/codepage.h"
#include "qt/main_window.h"

namespace fs = std::filesystem;
using scourvane::qt::MainWindow;
using namespace scourvane::bench;

namespace {

// Sees every event the window's thread delivers: the queued calls that bring the window its
// updates, and what the status box shows after each.
class WatchingApplication : public QApplication {
  public:
    using QApplication::QApplication;

    void watch(QObject* window, QLabel* status) {
        window_ = window;
        status_ = status;
    }
    // From now on: no update taken yet, and the status box as it reads now.
    void restart() {
        updates = 0;
        statusesShown = 0;
        lastStatus_ = status_ ? status_->text() : QString();
    }

    bool notify(QObject* receiver, QEvent* event) override {
        const bool update = window_ && receiver == window_ && event->type() == QEvent::MetaCall;
        const bool result = QApplication::notify(receiver, event);
        if (update) {
            ++updates;
            if (status_->text() != lastStatus_) {
                ++statusesShown;
                lastStatus_ = status_->text();
            }
        }
        return result;
    }

    long updates = 0;
    long statusesShown = 0;

  private:
    QObject* window_ = nullptr;
    QLabel* status_ = nullptr;
    QString lastStatus_;
};

struct Gaps {
    double longestMs = 0;
    long ticks = 0;
    double elapsedMs = 0;
    long updates = 0;
    long statusesShown = 0;
};

// Runs `start` and the event loop until `done` fires (or `idleMs` passes when done is null),
// measuring the gaps between ticks of a 1 ms timer.
template <class Start>
Gaps measure(WatchingApplication& app, Start start, MainWindow* window, int idleMs = 0) {
    Gaps gaps;
    QElapsedTimer clock;
    clock.start();
    qint64 last = clock.nsecsElapsed();
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        gaps.longestMs = std::max(gaps.longestMs, static_cast<double>(now - last) / 1e6);
        last = now;
        ++gaps.ticks;
    });
    QEventLoop loop;
    if (window)
        QObject::connect(window, &MainWindow::commandFinished, &loop, &QEventLoop::quit);
    else
        QTimer::singleShot(idleMs, &loop, &QEventLoop::quit);
    ticker.start(1);
    // The click clears the status box itself; what the engine's updates show is counted after.
    start();
    app.restart();
    loop.exec();
    ticker.stop();
    // The last stretch, from the final tick to the end, counts too.
    const qint64 end = clock.nsecsElapsed();
    gaps.longestMs = std::max(gaps.longestMs, static_cast<double>(end - last) / 1e6);
    gaps.elapsedMs = static_cast<double>(end) / 1e6;
    gaps.updates = app.updates;
    gaps.statusesShown = app.statusesShown;
    return gaps;
}

double msSince(std::chrono::steady_clock::time_point t) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t).count();
}

std::string ms(double value) {
    return fixed(value, value < 100 ? 2 : 0);
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    WatchingApplication app(argc, argv);
    scourvane::text::setActiveCodePage(scourvane::text::CodePage::platformDefault());
    const std::size_t lines = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 1000000;
    const std::size_t modules = argc > 2 ? std::strtoul(argv[2], nullptr, 10) : 200;

    const fs::path root =
        fs::temp_directory_path() / ("scourvane-bench-" + std::to_string(std::random_device{}()));
    fs::create_directories(root);
    std::fprintf(stderr, "generating two projects of %zu lines in %zu modules ...\n", lines,
                 modules);
    const auto alone = generateProject(root / "Alone", lines, modules);
    const auto shown = generateProject(root / "Shown", lines, modules);

    std::fprintf(stderr, "engine alone ...\n");
    SilentWindow silent;
    scourvane::Engine engine(silent);
    auto t0 = std::chrono::steady_clock::now();
    engine.intake(alone.projectFile);
    const double aloneIntake = msSince(t0);
    const long intakeStatuses = silent.statuses;
    t0 = std::chrono::steady_clock::now();
    engine.run();
    const double aloneRun = msSince(t0);
    const long runStatuses = silent.statuses - intakeStatuses;

    MainWindow window;
    window.setOpenDialog([&](QWidget*) {
        return std::optional<QString>(QString::fromStdString(shown.projectFile.string()));
    });
    app.watch(&window, window.findChild<QLabel*>(QStringLiteral("LabInfo")));
    long boxes = 0;
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            ++boxes;
            box->accept();
        }
    });
    answer.start(20);
    window.show();
    QApplication::processEvents();

    std::fprintf(stderr, "window idle, intake and run ...\n");
    const Gaps idle = measure(
        app, [] {}, nullptr, 1000);
    auto* open = window.findChild<QPushButton*>(QStringLiteral("ComOpenVBP"));
    auto* run = window.findChild<QPushButton*>(QStringLiteral("ComDetectUnusedDeclarations"));
    const Gaps intake = measure(
        app, [&] { open->click(); }, &window);
    const Gaps check = measure(
        app, [&] { run->click(); }, &window);
    answer.stop();

    std::printf(
        "**Window responsiveness** (ui_responsiveness, %s lines in %s modules, %u CPUs)\n\n",
        grouped(shown.lines).c_str(), grouped(shown.modules.size()).c_str(),
        std::thread::hardware_concurrency());
    MarkdownTable table({"phase", "engine alone ms", "through the window ms", "longest gap ms",
                         "ticks", "status texts sent", "updates taken", "status texts shown"});
    table.add({"idle", "-", ms(idle.elapsedMs), ms(idle.longestMs), grouped(idle.ticks), "-",
               grouped(idle.updates), grouped(idle.statusesShown)});
    table.add({"intake", ms(aloneIntake), ms(intake.elapsedMs), ms(intake.longestMs),
               grouped(intake.ticks), grouped(intakeStatuses), grouped(intake.updates),
               grouped(intake.statusesShown)});
    table.add({"run", ms(aloneRun), ms(check.elapsedMs), ms(check.longestMs), grouped(check.ticks),
               grouped(runStatuses), grouped(check.updates), grouped(check.statusesShown)});
    table.print();

    std::printf(
        "\nLongest gap: the longest time between two ticks of a 1 ms timer on the window's "
        "thread. Status texts sent: the engine's, counted on an identical project by a window "
        "that shows nothing; updates taken: the coalesced updates the window applied; status "
        "texts shown: the times its status box changed. Error boxes: %ld alone, %ld in the "
        "window.\n\n",
        silent.errors, boxes);
    if (aloneRun > 0)
        std::printf("Run through the window / engine alone: %s.  \n",
                    fixed(check.elapsedMs / aloneRun, 2).c_str());
    if (idle.longestMs > 0)
        std::printf("Longest gap during the run / while idle: %s.  \n",
                    fixed(check.longestMs / idle.longestMs, 2).c_str());
    const double worst = std::max(intake.longestMs, check.longestMs);
    std::printf("Goal, longest gap under 50 ms: %s (%s ms).\n", worst < 50 ? "met" : "NOT met",
                ms(worst).c_str());

    std::error_code ec;
    fs::remove_all(root, ec);
    return 0;
}
