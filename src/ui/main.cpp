// scourvane: the main window. It keeps no command line: a project is picked in its dialog.
#include <QApplication>
#include <cstdlib>

#include "text/codepage.h"
#include "ui/main_window.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    scourvane::text::setActiveCodePage(scourvane::text::CodePage::platformDefault());

    scourvane::ui::MainWindow window;
    window.show();
    const int status = QApplication::exec();
    // Closing ends the program at once: the engine unwinds at its next line. A worker stuck in
    // a system call must not keep the program alive; every file is whole whenever it ends.
    if (!window.stopWorker(2000)) std::_Exit(status);
    return status;
}
