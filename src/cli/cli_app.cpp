#include "cli/cli_app.h"

#include <CLI/CLI.hpp>
#include <optional>
#include <string>
#include <vector>

#include "base/run_error.h"
#include "cli/console_output.h"
#include "cli/console_window.h"
#include "cli/report.h"
#include "engine/engine.h"
#include "intake/file_ops.h"
#include "intake/run_list.h"
#include "intake/working_copy.h"
#include "report/patch.h"
#include "report/reports.h"
#include "text/codepage.h"

namespace scourvane::cli {

namespace {
constexpr const char* kDescription =
    "Scourvane: finds the declarations of a Visual Basic 6 project that nothing uses.\n"
    "\n"
    "Makes the working copy New_<folder> inside the project's folder (the project file, its\n"
    ".vbw, every module and every form's .frx, user controls, property pages, user\n"
    "documents, designers and the resource file, with their binary files; under --rules spec\n"
    "only forms, modules and classes), then comments out the unused declarations in the copy\n"
    "with the marker '<未使用> | and demotes to Private the Public declarations that only\n"
    "their own module uses. The project's own files are only read.\n"
    "\n"
    "A group file (.vbg) or a folder (every .vbp below it) runs its projects together: each\n"
    "gets its own working copy, a module several of them include is judged once for all of\n"
    "them, and the result is one: counters per project and in total (\"projects\" in JSON),\n"
    "reports naming each finding's project, and one patch.\n"
    "\n"
    "The rules are safe unless --rules spec is given: a name is used wherever it stands as an\n"
    "identifier, and what cannot be judged so is left alone, so the copy still compiles.\n"
    "A project that names a file that can hold code (module, class, form, user control,\n"
    "property page, user document, designer) and is missing gets no Public declaration\n"
    "judged, since that code may use any of them: the file is reported once, and a warning\n"
    "says so.\n"
    "--rules spec reproduces the specified occurrence test and its counters exactly; on real\n"
    "code it comments out names that are used (Module.Proc(...), (F(x) <> 0), F$, a call\n"
    "after \":\"), and its copy may not compile.\n"
    "\n"
    "Output: the six counters on stdout (declared and unused Dim, Private and Public), or one\n"
    "JSON object with --json: working_copy, modules (in processing order), counters (dim,\n"
    "unused_dim, private, unused_private, public, unused_public) and errors (number and\n"
    "description). On a terminal, status and progress go to stderr; every error is one line\n"
    "\"Error N (description)\" on stderr.\n"
    "\n"
    "Exit status: 0 when no error was raised, 1 when any was, 2 for a usage error; with\n"
    "--fail-on, 3 when the run found what it names (and no error was raised).";

constexpr const char* kExamples =
    "\nExamples:\n"
    "  scourvane-cli Sales/Sales.vbp\n"
    "  scourvane-cli Apps/All.vbg   (or a folder: scourvane-cli Apps)\n"
    "  scourvane-cli --json --quiet Sales/Sales.vbp\n"
    "  scourvane-cli --codepage 1252 Inventory/Inventory.vbp\n"
    "  scourvane-cli --report findings.sarif --report findings.csv --report findings.html "
    "Sales/Sales.vbp\n"
    "  scourvane-cli --until-stable --report all-runs.sarif Sales/Sales.vbp\n"
    "  scourvane-cli --rules spec --report spec.csv Sales/Sales.vbp\n"
    "  scourvane-cli --patch unused.patch Sales/Sales.vbp   (then: git apply unused.patch)\n"
    "  scourvane-cli --keep keep.txt --baseline main.sarif --fail-on new --report now.sarif "
    "Sales/Sales.vbp\n";

// At most this many runs with --until-stable.
constexpr int kMostRuns = 20;

std::string runLine(const report::RunSummary& run) {
    const auto& c = run.counters;
    return "run " + std::to_string(run.run) + ": Dim " + std::to_string(c[0]) + "/" +
           std::to_string(c[1]) + ", Private " + std::to_string(c[2]) + "/" +
           std::to_string(c[3]) + ", Public " + std::to_string(c[4]) + "/" +
           std::to_string(c[5]) + ", " + std::to_string(run.findings) + " findings\n";
}

int usageError(std::FILE* err, const std::string& message) {
    writeText(err, "scourvane-cli: " + message + "\n");
    return 2;
}

}  // namespace

int runCli(int argc, const char* const* argv, std::FILE* out, std::FILE* err, bool interactive) {
    CLI::App app{kDescription, "scourvane-cli"};
    std::string project;
    bool json = false, untilStable = false, quiet = false;
    int codePage = 932;
    std::vector<std::string> reports;
    std::string rules = ruleSetName(RuleSet::Safe);
    app.add_option("PROJECT", project,
                   "the project file (.vbp); or a group file (.vbg), or a folder (every .vbp "
                   "below it, working copies left out), whose projects are judged together")
        ->required();
    app.add_flag("--json", json, "print one JSON object instead of the counter grid");
    app.add_option("--codepage", codePage,
                   "Windows code page of the project's files: 932 (the default, Japanese), "
                   "936, 949, 950, or the single-byte 874 (Thai), 1250 (Central European), "
                   "1251 (Cyrillic), 1252 (Western), 1253 (Greek), 1254 (Turkish), 1255 "
                   "(Hebrew), 1256 (Arabic), 1257 (Baltic), 1258 (Vietnamese)")
        ->check(CLI::IsMember(std::vector<int>(text::CodePage::known().begin(),
                                               text::CodePage::known().end())));
    app.add_option("--report", reports,
                   "after the run, write the findings to FILE in the format its extension "
                   "names: .sarif (SARIF 2.1.0), .csv (UTF-8 with BOM) or .html; repeatable")
        ->option_text("FILE");
    app.add_flag("--until-stable", untilStable,
                 "repeat the run on the working copy until a run finds nothing new (at most " +
                     std::to_string(kMostRuns) + " runs); each run's counters go to stderr");
    app.add_option("--rules", rules,
                   "the rule set: safe (the default: a whole identifier, letter case ignored, "
                   "whatever its neighbours; what cannot be judged so is left alone) or spec "
                   "(the specified occurrence test with its table of accepted neighbours, "
                   "which can comment out names that are used)")
        ->check(CLI::IsMember({"spec", "safe"}));
    bool activeXCallersInRun = false;
    app.add_flag("--activex-callers-in-run", activeXCallersInRun,
                 "every program that uses the public classes of the run's ActiveX projects "
                 "(Type=OleDll, OleExe or Control) is one of the run's projects: judge those "
                 "classes' Public members across the whole run (by default they are left "
                 "alone, since other programs may call them)");
    app.add_flag("--quiet", quiet, "no status or progress on stderr (errors are still shown)");
    std::vector<std::string> keepFiles;
    app.add_option("--keep", keepFiles,
                   "names to keep, one a line (Name or Module.Name; # starts a comment), read "
                   "after the project's own scourvane-keep.txt; repeatable")
        ->option_text("FILE");
    std::string patchFile, patchMode = "comment";
    app.add_option("--patch", patchFile,
                   "write a unified diff (git's format) that takes the project's module files, "
                   "at their own paths, to what the run made of them; apply it with git apply "
                   "or patch -p1 --binary in the folder it names")
        ->option_text("FILE");
    app.add_option("--patch-mode", patchMode,
                   "comment (the default: the unused declarations commented out, as in the "
                   "working copy) or remove (every line that begins with the marker deleted)")
        ->check(CLI::IsMember({"comment", "remove"}));
    std::string baselineFile;
    app.add_option("--baseline", baselineFile,
                   "an earlier SARIF report of this tool: every result of --report FILE.sarif "
                   "gets its baselineState (new, unchanged, absent), matched by module file, "
                   "rule, name and kind")
        ->option_text("FILE.sarif");
    std::string failOn;
    app.add_option("--fail-on", failOn,
                   "findings: exit status 3 when the run found anything; new: only when it "
                   "found something the --baseline report does not hold")
        ->check(CLI::IsMember({"findings", "new"}));
    app.set_version_flag("--version", "scourvane-cli " + report::toolVersion());
    app.footer(kExamples);
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        writeText(out, app.help());
        return 0;
    } catch (const CLI::CallForVersion& e) {
        writeText(out, std::string(e.what()) + "\n");
        return 0;
    } catch (const CLI::ParseError& e) {
        writeText(err, std::string("scourvane-cli: ") + e.what() +
                           "\nRun with --help for more information.\n");
        return 2;
    }
    // The arguments are UTF-8 (on Windows too: main converts them); they become paths only here.
    const fs::path projectPath = files::fromUtf8(project);

    // Every report's place is checked before anything is done: a run is not wasted on a
    // report that could not be written.
    const fs::path workingCopy =
        project.empty() ? fs::path() : splitProjectPath(projectPath).workingCopy;
    std::vector<fs::path> workingCopies{workingCopy};
    if (!project.empty() && chosenKind(projectPath) != ChosenKind::Project) {
        try {
            for (const fs::path& p : projectsOf(projectPath).projects)
                workingCopies.push_back(splitProjectPath(p).workingCopy);
        } catch (const RunError&) {
            // The intake reports it.
        }
    }
    for (const fs::path& copy : workingCopies) {
        for (const std::string& r : reports) {
            const std::string problem = report::reportPathProblem(files::fromUtf8(r), copy);
            if (problem.empty()) continue;
            return usageError(err, "--report " + r + ": " + problem);
        }
        if (patchFile.empty()) continue;
        const std::string problem = report::outputPathProblem(files::fromUtf8(patchFile), copy);
        if (!problem.empty()) return usageError(err, "--patch " + patchFile + ": " + problem);
    }
    if (failOn == "new" && baselineFile.empty())
        return usageError(err, "--fail-on new: needs --baseline FILE.sarif to tell what is new");

    text::setActiveCodePage(text::CodePage::get(codePage));
    std::vector<fs::path> keepPaths;
    for (const std::string& k : keepFiles) {
        keepPaths.push_back(files::fromUtf8(k));
        if (!fs::is_regular_file(keepPaths.back()))
            return usageError(err, "--keep " + k + ": no such file");
    }
    report::ReportData data;
    data.codePage = codePage;
    data.rules = rules;
    if (!baselineFile.empty()) {
        try {
            data.baseline = report::readBaseline(files::fromUtf8(baselineFile));
        } catch (const RunError& e) {
            return usageError(err, "--baseline " + baselineFile + ": " +
                                       errorBoxText(e.number(), e.description()));
        }
    }
    ConsoleWindow window(err, interactive && !quiet);
    Engine engine(window);
    engine.setRules(rules == "safe" ? RuleSet::Safe : RuleSet::Spec);
    engine.setKeepFiles(keepPaths);
    engine.setActiveXCallersInRun(activeXCallersInRun);
    engine.intake(projectPath);
    if (engine.session().intake.loaded) {
        for (int run = 1; run <= (untilStable ? kMostRuns : 1); ++run) {
            engine.run();
            report::addRun(data, engine.session());
            if (untilStable && !quiet) {
                window.finish();
                writeText(err, runLine(data.runs.back()));
            }
            if (engine.session().findings.empty()) break;
        }
    }
    window.finish();
    for (const ErrorRecord& e : window.errors()) data.errors.push_back({e.number, e.description});
    if (data.projects.empty()) {
        data.projectFile = project.empty() ? fs::path() : fs::absolute(projectPath);
        data.workingCopy = workingCopy;
    }

    bool reportFailed = false;
    for (const std::string& r : reports) {
        try {
            report::writeReport(files::fromUtf8(r), data);
        } catch (const RunError& e) {
            writeText(err, "scourvane-cli: --report " + r + ": " +
                               errorBoxText(e.number(), e.description()) + "\n");
            reportFailed = true;
        }
    }

    const Session& s = engine.session();
    for (const std::string& w : s.warnings) writeText(err, "scourvane-cli: warning: " + w + "\n");

    std::optional<PatchWritten> patch;
    if (!patchFile.empty() && s.intake.loaded) {
        try {
            patch = writePatch(s, files::fromUtf8(patchFile),
                               patchMode == "remove" ? report::PatchMode::Remove
                                                     : report::PatchMode::Comment);
            if (!quiet)
                writeText(err, "scourvane-cli: --patch " + patchFile + ": " +
                                   std::to_string(patch->files) + " module file(s); apply in " +
                                   files::display(patch->root) + " (git apply " + patchFile +
                                   ", or patch -p1 --binary < " + patchFile + ")\n");
        } catch (const RunError& e) {
            writeText(err, "scourvane-cli: --patch " + patchFile + ": " +
                               errorBoxText(e.number(), e.description()) + "\n");
            reportFailed = true;
        }
    }

    const report::BaselineStates states = report::baselineStates(data);
    if (json) {
        JsonExtras extras{s.warnings, data.baseline ? &states : nullptr, patch ? &*patch : nullptr};
        writeText(out, jsonReport(files::display(s.intake.workingCopy), window.modules(),
                                  s.counters, window.errors(), data.runs, rules, extras,
                                  projectsJson(data)));
    } else {
        writeText(out, projectGrids(data) + counterGrid(s.counters));
    }
    if (!window.errors().empty() || reportFailed) return 1;
    if (failOn == "findings" && !data.findings.empty()) return kFoundStatus;
    if (failOn == "new" && states.newCount > 0) return kFoundStatus;
    return 0;
}

}  // namespace scourvane::cli
