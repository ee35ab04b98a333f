// scourvane.exe: the main window on Windows. A project is picked in its dialog, dropped on the
// window or given on the command line (taken as UTF-16); --rules spec or --rules safe overrides
// the remembered rule set.
#include <windows.h>

#include <commctrl.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "text/codepage.h"
#include "win32/main_window.h"
#include "win32/wide.h"
#include "base/paths.h"
#include "window/command_line.h"
#include "window/settings.h"
#include "window/texts.h"

int wmain(int argc, wchar_t** argv) {
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) args.push_back(scourvane::win32::utf8(argv[i]));
    const std::optional<scourvane::window::CommandLine> line =
        scourvane::window::parseCommandLine(args);
    if (!line) {
        // A program without a console says it in a box.
        MessageBoxW(nullptr, scourvane::win32::wide(scourvane::window::kUsage).c_str(),
                    scourvane::win32::wide(scourvane::window::kCaption).c_str(),
                    MB_OK | MB_ICONWARNING);
        return 2;
    }
    scourvane::text::setActiveCodePage(scourvane::text::CodePage::platformDefault());

    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS |
                                                     ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);

    int status = 1;
    {
        scourvane::win32::MainWindow window;
        scourvane::window::StartOptions options;
        options.settingsFile = scourvane::window::settingsFile();
        options.rules = line->rules;
        if (line->project) options.project = scourvane::files::fromUtf8(*line->project);
        if (!window.create(GetModuleHandleW(nullptr), options)) return 1;
        MSG msg;
        while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
            if (window.handle() && IsDialogMessageW(window.handle(), &msg)) continue;
            if (window.findingsHandle() && IsDialogMessageW(window.findingsHandle(), &msg))
                continue;
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        status = static_cast<int>(msg.wParam);
        // Closing ends the program at once: the engine unwinds at its next line. A worker stuck
        // in a system call must not keep the program alive; every file is whole whenever it ends.
        if (!window.stopWorker(2000)) std::_Exit(status);
    }
    return status;
}
