// scourvane: the main window. A project is picked in its dialog, dropped on the window or given
// on the command line; --rules spec or --rules safe overrides the remembered rule set.
#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "text/codepage.h"
#include "qt/main_window.h"
#include "qt/qt_texts.h"
#include "base/paths.h"
#include "window/command_line.h"
#include "window/settings.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    scourvane::text::setActiveCodePage(scourvane::text::CodePage::platformDefault());
    // Without Qt's catalogue the dialogs are English; the program works all the same.
    if (!scourvane::qt::useJapaneseQtTexts(app))
        std::fprintf(stderr, "scourvane: Qt's Japanese texts (qtbase_ja.qm) are not installed\n");

    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
    const std::optional<scourvane::window::CommandLine> line =
        scourvane::window::parseCommandLine(args);
    if (!line) {
        std::fprintf(stderr, "%s\n", scourvane::window::kUsage);
        return 2;
    }

    scourvane::qt::MainWindow window;
    scourvane::window::StartOptions options;
    options.settingsFile = scourvane::window::settingsFile();
    options.rules = line->rules;
    if (line->project) options.project = scourvane::files::fromUtf8(*line->project);
    window.start(options);
    window.show();
    const int status = QApplication::exec();
    // Closing ends the program at once: the engine unwinds at its next line. A worker stuck in
    // a system call must not keep the program alive; every file is whole whenever it ends.
    if (!window.stopWorker(2000)) std::_Exit(status);
    return status;
}
