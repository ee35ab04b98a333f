// scourvane: the main window. A project is picked in its dialog; the command line only chooses
// the rule set (--rules spec, the default, or --rules safe).
#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "text/codepage.h"
#include "ui/main_window.h"
#include "ui/qt_texts.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    scourvane::text::setActiveCodePage(scourvane::text::CodePage::platformDefault());
    // Without Qt's catalogue the dialogs are English; the program works all the same.
    if (!scourvane::ui::useJapaneseQtTexts(app))
        std::fprintf(stderr, "scourvane: Qt's Japanese texts (qtbase_ja.qm) are not installed\n");

    scourvane::RuleSet rules = scourvane::RuleSet::Spec;
    for (int i = 1; i < argc; ++i) {
        const char* value = nullptr;
        if (std::strcmp(argv[i], "--rules") == 0 && i + 1 < argc)
            value = argv[++i];
        else if (std::strncmp(argv[i], "--rules=", 8) == 0)
            value = argv[i] + 8;
        if (value && std::strcmp(value, "safe") == 0) {
            rules = scourvane::RuleSet::Safe;
        } else if (!value || std::strcmp(value, "spec") != 0) {
            std::fprintf(stderr, "usage: scourvane [--rules spec|safe]\n");
            return 2;
        }
    }

    scourvane::ui::MainWindow window;
    window.setRules(rules);
    window.show();
    const int status = QApplication::exec();
    // Closing ends the program at once: the engine unwinds at its next line. A worker stuck in
    // a system call must not keep the program alive; every file is whole whenever it ends.
    if (!window.stopWorker(2000)) std::_Exit(status);
    return status;
}
