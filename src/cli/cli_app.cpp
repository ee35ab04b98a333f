#include "cli/cli_app.h"

#include <CLI/CLI.hpp>
#include <string>

#include "cli/console_window.h"
#include "cli/report.h"
#include "engine/engine.h"
#include "intake/file_ops.h"
#include "text/codepage.h"

namespace scourvane::cli {

namespace {
constexpr const char* kDescription =
    "Scourvane: finds the declarations of a Visual Basic 6 project that nothing uses.\n"
    "\n"
    "Makes the working copy New_<folder> inside the project's folder (the project file, its\n"
    ".vbw, every module and every form's .frx), then comments out the unused declarations in\n"
    "the copy with the marker '<未使用> | and demotes to Private the Public declarations that\n"
    "only their own module uses. The project's own files are only read.\n"
    "\n"
    "Output: the six counters on stdout (declared and unused Dim, Private and Public), or one\n"
    "JSON object with --json: working_copy, modules (in processing order), counters (dim,\n"
    "unused_dim, private, unused_private, public, unused_public) and errors (number and\n"
    "description). On a terminal, status and progress go to stderr; every error is one line\n"
    "\"Error N (description)\" on stderr.\n"
    "\n"
    "Exit status: 0 when no error was raised, 1 when any was, 2 for a usage error.";
}  // namespace

int runCli(int argc, const char* const* argv, std::FILE* out, std::FILE* err, bool interactive) {
    CLI::App app{kDescription, "scourvane-cli"};
    std::string project;
    bool json = false;
    int codePage = 932;
    app.add_option("PROJECT", project, "the project file (.vbp)")->required();
    app.add_flag("--json", json, "print one JSON object instead of the counter grid");
    app.add_option("--codepage", codePage,
                   "Windows code page of the project's files: 932 (default), 936, 949, 950 "
                   "or 1252")
        ->check(CLI::IsMember({932, 936, 949, 950, 1252}));
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        std::fputs(app.help().c_str(), out);
        return 0;
    } catch (const CLI::ParseError& e) {
        std::fprintf(err, "scourvane-cli: %s\nRun with --help for more information.\n", e.what());
        return 2;
    }

    text::setActiveCodePage(text::CodePage::get(codePage));
    ConsoleWindow window(err, interactive);
    Engine engine(window);
    engine.intake(project);
    if (engine.session().intake.loaded) engine.run();
    window.finish();

    const Session& s = engine.session();
    if (json) {
        std::fputs(jsonReport(files::display(s.intake.workingCopy), window.modules(), s.counters,
                              window.errors())
                       .c_str(),
                   out);
    } else {
        std::fputs(counterGrid(s.counters).c_str(), out);
    }
    std::fflush(out);
    return window.errors().empty() ? 0 : 1;
}

}  // namespace scourvane::cli
