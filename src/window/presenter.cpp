#include "window/presenter.h"

#include <algorithm>
#include <chrono>
#include <system_error>

#include "base/run_error.h"
#include "engine/run_results.h"
#include "intake/file_ops.h"
#include "keep/keep_file_edit.h"
#include "report/reports.h"
#include "window/texts.h"

namespace scourvane::window {

Presenter::Presenter(View& view, std::function<void()> wake)
    : view_(view), wake_(std::move(wake)), bridge_(wake_), engine_(bridge_) {
    state_.title = windowTitle(rules_);
    state_.titleColour = titleColour(rules_);
}

Presenter::~Presenter() {
    bridge_.close();
    // The worker's destructor waits for the command under way, which unwinds at its next yield.
}

namespace fs = std::filesystem;

namespace {

std::string lowered(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

// Whether `file` lies inside `folder` (both made absolute, "." and ".." resolved as far as the
// file system has them).
bool insideFolder(const fs::path& file, const fs::path& folder) {
    std::error_code ec;
    const fs::path f = fs::weakly_canonical(fs::absolute(file, ec), ec);
    const fs::path d = fs::weakly_canonical(fs::absolute(folder, ec), ec);
    if (d.empty()) return false;
    const fs::path rel = f.lexically_relative(d);
    return !rel.empty() && *rel.begin() != "..";
}

}  // namespace

void Presenter::setRules(RuleSet rules) {
    rules_ = rules;
    engine_.setRules(rules);
    state_.title = windowTitle(rules);
    state_.titleColour = titleColour(rules);
    view_.refresh(state_, kTitle);
}

void Presenter::start(const StartOptions& options) {
    settingsFile_ = options.settingsFile;
    settings_ = readSettings(settingsFile_);
    setRules(options.rules.value_or(settings_.rules));
    engine_.setActiveXCallersInRun(settings_.activeXCallersInRun);
    useCodePage(settings_.codePage);
    if (options.project) openProject(*options.project);
}

void Presenter::saveSettings() {
    writeSettings(settingsFile_, settings_);
}

fs::path Presenter::dialogFolder() const {
    if (settings_.lastFolder.empty()) return {};
    const fs::path folder = files::fromUtf8(settings_.lastFolder);
    std::error_code ec;
    return fs::is_directory(folder, ec) ? folder : fs::path();
}

void Presenter::openClicked() {
    if (state_.commandUnderWay || closing()) return;
    state_.status.clear();
    state_.progress = 0;
    view_.refresh(state_, kStatus | kProgress);
    const std::optional<fs::path> chosen = view_.askForProject(dialogFolder());
    if (!chosen) return;
    openProject(*chosen);
}

void Presenter::openProject(const fs::path& chosen) {
    if (state_.commandUnderWay || closing() || chosen.empty()) return;
    std::error_code ec;
    fs::path project = fs::absolute(chosen, ec);
    if (ec) project = chosen;
    project = project.lexically_normal();
    if (!state_.status.empty() || state_.progress != 0) {
        state_.status.clear();
        state_.progress = 0;
        view_.refresh(state_, kStatus | kProgress);
    }
    std::error_code dirEc;
    settings_.lastFolder =
        files::display(fs::is_directory(project, dirEc) ? project : project.parent_path());
    saveSettings();
    runDone_ = false;
    errorsShown_.clear();
    keeps_.clear();
    keptSinceIntake_ = false;
    runWarnings_.clear();
    state_.reviewAvailable = false;
    findings_.load(report::ReportData{});
    view_.findingsChanged();
    startCommand([this, project] {
        runs_ = report::ReportData{};
        runs_.projectFile = project;
        engine_.intake(project);
    });
}

std::optional<fs::path> Presenter::projectAmong(const std::vector<fs::path>& files) {
    for (const fs::path& f : files)
        if (const std::string ext = lowered(files::display(f.extension()));
            ext == ".vbp" || ext == ".vbg")
            return f;
    std::error_code ec;
    for (const fs::path& f : files)
        if (fs::is_directory(f, ec)) return f;
    return std::nullopt;
}

bool Presenter::acceptsDrop(const std::vector<fs::path>& files) const {
    return !state_.commandUnderWay && !closing() && projectAmong(files).has_value();
}

void Presenter::filesDropped(const std::vector<fs::path>& files) {
    if (!acceptsDrop(files)) return;
    openProject(*projectAmong(files));
}

void Presenter::runClicked() {
    if (state_.commandUnderWay || closing() || !state_.runEnabled) return;
    startRuns(1);
}

void Presenter::statusClicked() {
    if (state_.reviewAvailable && !closing()) view_.showFindings();
}

void Presenter::startRuns(int most) {
    const bool intakeFirst = keptSinceIntake_;
    keptSinceIntake_ = false;
    startCommand(
        [this, most, intakeFirst] {
            // The keep file changed: the copy is made afresh, so that what the earlier runs
            // marked of the declarations now kept is the user's code again.
            if (intakeFirst) engine_.intake(engine_.session().chosen);
            for (int run = 1; run <= most; ++run) {
                if (!engine_.run()) break;
                const Session& s = engine_.session();
                runs_.rules = ruleSetName(s.rules);
                runs_.codePage = text::activeCodePage().number();
                report::addRun(runs_, s);
                if (s.findings.empty()) break;
            }
        },
        [this] {
            if (!runs_.runs.empty()) runDone_ = true;
            runWarnings_ = engine_.session().warnings;
            if (state_.reviewAvailable != runDone_) {
                state_.reviewAvailable = runDone_;
                view_.refresh(state_, kStatus);
            }
            findings_.load(runs_);
            view_.findingsChanged();
        });
}

std::vector<CodeLine> Presenter::findingCode(std::size_t row, int context) const {
    if (row >= findings_.rows().size()) return {};
    return codeAround(runs_, runs_.findings.at(findings_.rows()[row].finding), context);
}

bool Presenter::keepFindings(const std::vector<std::size_t>& rows) {
    if (state_.commandUnderWay || closing()) return false;
    // The entries of each project's rows, in the order chosen.
    std::vector<std::pair<fs::path, std::vector<std::string>>> wanted;
    for (std::size_t row : rows) {
        if (row >= findings_.rows().size()) continue;
        const FindingRow& r = findings_.rows()[row];
        const Finding& f = runs_.findings.at(r.finding);
        const fs::path folder = f.project < runs_.projects.size()
                                    ? runs_.projects[f.project].projectFile.parent_path()
                                    : runs_.projectFile.parent_path();
        auto it = std::find_if(wanted.begin(), wanted.end(),
                               [&](const auto& w) { return w.first == folder; });
        if (it == wanted.end()) it = wanted.insert(wanted.end(), {folder, {}});
        it->second.push_back(r.keepEntry);
    }
    std::vector<std::pair<fs::path, std::vector<std::string>>> added;
    try {
        for (const auto& [folder, entries] : wanted) {
            added.emplace_back(folder, keep::addKeeps(folder, entries));
            findings_.setKept(entries, true);
        }
    } catch (const RunError& e) {
        view_.showErrorBox(e.boxText());
        if (!added.empty()) {
            keeps_.push_back(std::move(added));
            keptSinceIntake_ = true;
        }
        return false;
    }
    keeps_.push_back(std::move(added));
    keptSinceIntake_ = true;
    return true;
}

bool Presenter::undoKeep() {
    if (keeps_.empty() || state_.commandUnderWay || closing()) return false;
    try {
        for (const auto& [folder, entries] : keeps_.back()) {
            keep::removeKeeps(folder, entries);
            findings_.setKept(entries, false);
        }
    } catch (const RunError& e) {
        view_.showErrorBox(e.boxText());
        return false;
    }
    keeps_.pop_back();
    keptSinceIntake_ = true;
    return true;
}

std::vector<MenuEntry> Presenter::menu() const {
    MenuState m;
    m.rules = rules_;
    m.activeXCallersInRun = settings_.activeXCallersInRun;
    m.codePage = settings_.codePage;
    m.systemCodePage = text::CodePage::platformDefault().number();
    m.projectLoaded = state_.runEnabled;
    m.runDone = runDone_;
    m.commandUnderWay = state_.commandUnderWay || closing();
    return menuEntries(m);
}

void Presenter::menuRequested(Point screenAt) {
    if (closing()) return;
    const std::optional<MenuItem> chosen = view_.showMenu(screenAt, menu());
    if (chosen) menuChosen(*chosen);
}

void Presenter::menuChosen(MenuItem item) {
    // What is disabled now is not done, whenever the choice was made.
    const std::optional<MenuEntry> entry = entryOf(menu(), item);
    if (!entry || !entry->enabled) return;
    switch (item) {
        case MenuItem::RulesSpec:
            chooseRules(RuleSet::Spec);
            return;
        case MenuItem::RulesSafe:
            chooseRules(RuleSet::Safe);
            return;
        case MenuItem::RepeatUntilStable:
            startRuns(kMostRepeatedRuns);
            return;
        case MenuItem::OpenReport:
            openReport();
            return;
        case MenuItem::SavePatchComment:
            savePatch(report::PatchMode::Comment);
            return;
        case MenuItem::SavePatchRemove:
            savePatch(report::PatchMode::Remove);
            return;
        case MenuItem::OpenWorkingCopy:
            // For several projects, the folder that holds all their working copies.
            view_.openFolder(runs_.projects.empty() ? session().intake.workingCopy
                                                    : runs_.workingCopy);
            return;
        case MenuItem::OpenFolder:
            if (const std::optional<fs::path> folder = view_.askForFolder(dialogFolder()))
                openProject(*folder);
            return;
        case MenuItem::ReviewFindings:
            view_.showFindings();
            return;
        case MenuItem::CodePageSystem:
        case MenuItem::CodePage932:
        case MenuItem::CodePage1252:
        case MenuItem::CodePage936:
        case MenuItem::CodePage949:
        case MenuItem::CodePage950:
        case MenuItem::CodePage874:
        case MenuItem::CodePage1250:
        case MenuItem::CodePage1251:
        case MenuItem::CodePage1253:
        case MenuItem::CodePage1254:
        case MenuItem::CodePage1255:
        case MenuItem::CodePage1256:
        case MenuItem::CodePage1257:
        case MenuItem::CodePage1258:
            settings_.codePage = codePageOf(item);
            saveSettings();
            useCodePage(settings_.codePage);
            return;
        case MenuItem::ActiveXCallersInRun:
            settings_.activeXCallersInRun = !settings_.activeXCallersInRun;
            engine_.setActiveXCallersInRun(settings_.activeXCallersInRun);
            saveSettings();
            return;
    }
}

void Presenter::useCodePage(int codePage) {
    text::setActiveCodePage(codePage ? text::CodePage::get(codePage)
                                     : text::CodePage::platformDefault());
}

void Presenter::chooseRules(RuleSet rules) {
    setRules(rules);
    settings_.rules = rules;
    saveSettings();
}

void Presenter::openReport() {
    const fs::path folder = reportsFolder();
    if (folder.empty()) {
        view_.showMessage(kNoReportsFolder);
        return;
    }
    report::ReportData data = runs_;
    if (data.projects.empty()) data.workingCopy = session().intake.workingCopy;
    data.errors = errorsShown_;
    const fs::path file = folder / (files::display(data.projectFile.stem()) + "-findings.html");
    try {
        std::error_code ec;
        fs::create_directories(folder, ec);
        report::writeReport(file, data);
    } catch (const RunError& e) {
        view_.showErrorBox(e.boxText());
        return;
    }
    view_.openFile(file);
}

void Presenter::savePatch(report::PatchMode mode) {
    const Session& s = session();
    // Beside the project file, or the group file, or in the folder chosen.
    std::error_code ec;
    const fs::path chosenPath = s.projects.size() > 1 ? s.chosen : s.intake.projectPath;
    const fs::path suggested =
        fs::is_directory(chosenPath, ec)
            ? chosenPath / (files::display(chosenPath.filename()) + ".patch")
            : chosenPath.parent_path() / (files::display(chosenPath.stem()) + ".patch");
    const std::optional<fs::path> chosen = view_.askForPatchFile(suggested);
    if (!chosen || state_.commandUnderWay || closing()) return;
    for (const ProjectState& p : s.projects) {
        if (!insideFolder(*chosen, p.intake.workingCopy)) continue;
        view_.showMessage(kPatchInWorkingCopy);
        return;
    }
    if (insideFolder(*chosen, s.intake.workingCopy)) {
        view_.showMessage(kPatchInWorkingCopy);
        return;
    }
    try {
        const report::Patch patch = patchOf(session(), mode);
        files::writeAll(*chosen, patch.text);
        view_.showMessage(
            patchSavedText(files::display(*chosen), files::display(patch.root), patch.files,
                           s.sharedModules));
    } catch (const RunError& e) {
        view_.showErrorBox(e.boxText());
    }
}

void Presenter::exitClicked() {
    view_.closeWindow();
}

void Presenter::exitImagePressed() {
    state_.exitPressed = true;
    view_.refresh(state_, kExitPicture);
}

void Presenter::exitImageReleased() {
    state_.exitPressed = false;
    view_.refresh(state_, kExitPicture);
    view_.drawNow();
    view_.closeWindow();
}

void Presenter::titlePressed(MouseButton button, Point cursor, Point windowTopLeft) {
    if (button != MouseButton::Left) return;
    dragging_ = true;
    grabOffset_ = cursor - windowTopLeft;
}

void Presenter::titleMoved(Point cursor) {
    if (dragging_) view_.moveWindow(cursor - grabOffset_);
}

void Presenter::titleReleased() {
    dragging_ = false;
}

void Presenter::linkClicked(const std::string& shown) {
    openingLink_ = true;
    setWaitPointer();
    view_.openUrl(shown);
    openingLink_ = false;
    setWaitPointer();
}

void Presenter::windowClosing() {
    bridge_.close();
    engineBusy_ = false;
    dragging_ = false;
    setWaitPointer();
}

void Presenter::setWaitPointer() {
    const bool wait = engineBusy_ || openingLink_;
    if (wait == state_.waitPointer) return;
    state_.waitPointer = wait;
    view_.refresh(state_, kPointer);
}

void Presenter::startCommand(std::function<void()> command, std::function<void()> ended) {
    state_.commandUnderWay = true;
    endActions_.push_back(std::move(ended));
    worker_.post([this, command = std::move(command)] {
        if (!bridge_.closing()) {
            bridge_.beginCommand();
            command();
        }
        finished_.fetch_add(1, std::memory_order_release);
        wake_();
    });
}

void Presenter::apply(DisplayUpdate u) {
    unsigned changes = 0;
    if (u.modules) {
        state_.modules = std::move(*u.modules);
        // Rows renamed in place keep the selection; a new list sends its own (-1) with it.
        if (state_.selected >= static_cast<int>(state_.modules.size())) state_.selected = -1;
        changes |= kModules;
    }
    if (u.selected) {
        const int row = *u.selected;
        state_.selected = row >= 0 && row < static_cast<int>(state_.modules.size()) ? row : -1;
        changes |= kSelection;
    }
    if (u.projectLabel) {
        state_.projectLabel = std::move(*u.projectLabel);
        changes |= kProjectLabel;
    }
    if (u.status) {
        state_.status = std::move(*u.status);
        changes |= kStatus;
    }
    for (std::size_t i = 0; i < u.counters.size(); ++i)
        if (u.counters[i]) {
            state_.counters[i] = std::move(*u.counters[i]);
            changes |= kCounters;
        }
    if (u.progress) {
        state_.progress = std::clamp(*u.progress, 0, 100);
        changes |= kProgress;
    }
    if (u.runEnabled) {
        state_.runEnabled = *u.runEnabled;
        changes |= kRunEnabled;
    }
    if (changes) view_.refresh(state_, changes);
    if (u.busy) {
        engineBusy_ = *u.busy;
        setWaitPointer();
    }
}

void Presenter::handlePending() {
    // An error box's own event loop may bring this call again: the box's caller takes it after.
    if (inErrorBox_) {
        pendingAgain_ = true;
        return;
    }
    // Read before the update is taken: a command counted here has left all it shows pending.
    const int finished = finished_.load(std::memory_order_acquire);
    DisplayUpdate u = bridge_.take();
    std::optional<ErrorBox> error = std::move(u.error);
    apply(std::move(u));
    if (error) {
        errorsShown_.push_back({error->number, error->description});
        if (!closing()) {
            inErrorBox_ = true;
            view_.showErrorBox(error->text());
            inErrorBox_ = false;
        }
        bridge_.errorAnswered();
    }
    while (finishedShown_ < finished) {
        ++finishedShown_;
        state_.commandUnderWay = false;
        if (!endActions_.empty()) {
            std::function<void()> ended = std::move(endActions_.front());
            endActions_.pop_front();
            if (ended) ended();
        }
        view_.commandEnded();
    }
    if (pendingAgain_) {
        pendingAgain_ = false;
        handlePending();
    }
}

void Presenter::setYieldHook(std::function<void()> hook) {
    // Set on the worker, so that it is never read and written at once.
    worker_.post([this, hook = std::move(hook)]() mutable { bridge_.setYieldHook(std::move(hook)); });
}

bool Presenter::stopWorker(int ms) {
    bridge_.close();
    return worker_.stop(std::chrono::milliseconds(ms));
}

}  // namespace scourvane::window
