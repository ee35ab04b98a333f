// scourvane-screenshot OUT.png PROJECT.vbp: opens the real window, takes the project in
// through its button (the dialog answered with PROJECT.vbp), runs the check through the other
// button, and saves a picture of the window. For the README and for looking at the window
// without a display (QT_QPA_PLATFORM=offscreen).
#include <QApplication>
#include <QEventLoop>
#include <QMessageBox>
#include <QPixmap>
#include <QPushButton>
#include <QTimer>
#include <cstdio>

#include "text/codepage.h"
#include "qt/main_window.h"

namespace {

bool waitForCommand(scourvane::qt::MainWindow& window) {
    QEventLoop loop;
    QObject::connect(&window, &scourvane::qt::MainWindow::commandFinished, &loop,
                     &QEventLoop::quit);
    QTimer::singleShot(600000, &loop, [&loop] { loop.exit(1); });
    return loop.exec() == 0;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments();
    if (args.size() != 3) {
        std::fprintf(stderr, "usage: scourvane-screenshot OUT.png PROJECT.vbp\n");
        return 2;
    }
    scourvane::text::setActiveCodePage(scourvane::text::CodePage::platformDefault());

    scourvane::qt::MainWindow window;
    const QString project = args[2];
    window.setOpenDialog([project](QWidget*) { return std::optional<QString>(project); });
    window.show();

    // Error boxes are answered at once and written to stderr, so the picture is still taken.
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            std::fprintf(stderr, "%s\n", qPrintable(box->text()));
            box->accept();
        }
    });
    answer.start(50);

    auto* open = window.findChild<QPushButton*>(QStringLiteral("ComOpenVBP"));
    auto* run = window.findChild<QPushButton*>(QStringLiteral("ComDetectUnusedDeclarations"));
    open->click();
    if (!waitForCommand(window)) return 1;
    run->click();
    if (!waitForCommand(window)) return 1;
    QApplication::processEvents();

    if (!window.grab().save(args[1])) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(args[1]));
        return 1;
    }
    return 0;
}
