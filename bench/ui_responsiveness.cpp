// ui_responsiveness [LINES] [MODULES]: how long the window's own thread goes without handling
// its events while the engine takes in and checks a generated project through the window.
//
// A 1 ms timer ticks on the window's thread; the longest gap between two ticks is the longest
// time the window could not repaint, move or take a click. Baselines from the same run: the
// longest gap while the window is idle, and the time the engine alone needs for the same
// project with a window that shows nothing.
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>

#include "engine/engine.h"
#include "project_generator.h"
#include "silent_window.h"
#include "text/codepage.h"
#include "ui/main_window.h"

namespace fs = std::filesystem;
using scourvane::ui::MainWindow;

namespace {

struct Gaps {
    double longestMs = 0;
    long ticks = 0;
    double elapsedMs = 0;
};

// Runs `start` and the event loop until `done` fires (or `idleMs` passes when done is null),
// measuring the gaps between ticks of a 1 ms timer.
template <class Start>
Gaps measure(Start start, MainWindow* window, int idleMs = 0) {
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
    start();
    loop.exec();
    ticker.stop();
    // The last stretch, from the final tick to the end, counts too.
    const qint64 end = clock.nsecsElapsed();
    gaps.longestMs = std::max(gaps.longestMs, static_cast<double>(end - last) / 1e6);
    gaps.elapsedMs = static_cast<double>(end) / 1e6;
    return gaps;
}

double msSince(std::chrono::steady_clock::time_point t) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t).count();
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    scourvane::text::setActiveCodePage(scourvane::text::CodePage::platformDefault());
    const std::size_t lines = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 200000;
    const std::size_t modules = argc > 2 ? std::strtoul(argv[2], nullptr, 10) : 40;

    const fs::path root =
        fs::temp_directory_path() / ("scourvane-bench-" + std::to_string(std::random_device{}()));
    fs::create_directories(root);
    const auto alone = scourvane::bench::generateProject(root / "Alone", lines, modules);
    const auto shown = scourvane::bench::generateProject(root / "Shown", lines, modules);
    std::printf("project: %zu module lines in %zu modules\n", shown.lines, shown.modules.size());

    scourvane::bench::SilentWindow silent;
    scourvane::Engine engine(silent);
    auto t0 = std::chrono::steady_clock::now();
    engine.intake(alone.projectFile);
    const double aloneIntake = msSince(t0);
    t0 = std::chrono::steady_clock::now();
    engine.run();
    const double aloneRun = msSince(t0);
    std::printf("engine alone:  intake %9.1f ms, run %9.1f ms, %ld yields, %ld error boxes\n",
                aloneIntake, aloneRun, silent.yields, silent.errors);

    MainWindow window;
    window.setOpenDialog([&](QWidget*) {
        return std::optional<QString>(QString::fromStdString(shown.projectFile.string()));
    });
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

    const Gaps idle = measure([] {}, nullptr, 1000);
    auto* open = window.findChild<QPushButton*>(QStringLiteral("ComOpenVBP"));
    auto* run = window.findChild<QPushButton*>(QStringLiteral("ComDetectUnusedDeclarations"));
    const Gaps intake = measure([&] { open->click(); }, &window);
    const Gaps check = measure([&] { run->click(); }, &window);
    answer.stop();

    std::printf("window idle:   longest gap %7.2f ms over %.0f ms (%ld ticks)\n", idle.longestMs,
                idle.elapsedMs, idle.ticks);
    std::printf("window intake: %9.1f ms, longest gap %7.2f ms (%ld ticks)\n", intake.elapsedMs,
                intake.longestMs, intake.ticks);
    std::printf("window run:    %9.1f ms, longest gap %7.2f ms (%ld ticks), %ld error boxes\n",
                check.elapsedMs, check.longestMs, check.ticks, boxes);
    if (aloneRun > 0)
        std::printf("ratio run through window / engine alone: %.2f\n", check.elapsedMs / aloneRun);
    if (idle.longestMs > 0)
        std::printf("ratio longest gap during run / idle:      %.2f\n",
                    check.longestMs / idle.longestMs);
    const double worst = std::max(intake.longestMs, check.longestMs);
    std::printf("goal: longest gap < 50 ms: %s (%.2f ms)\n", worst < 50 ? "met" : "NOT met", worst);

    std::error_code ec;
    fs::remove_all(root, ec);
    return 0;
}
