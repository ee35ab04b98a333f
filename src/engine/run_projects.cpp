#include "engine/run_projects.h"

#include <algorithm>
#include <cerrno>
#include <map>
#include <set>

#include "base/guard.h"
#include "base/paths.h"
#include "base/run_error.h"
#include "engine/detection_run.h"
#include "intake/file_ops.h"
#include "intake/project_file.h"
#include "intake/run_list.h"
#include "intake/working_copy.h"
#include "text/convert.h"
#include "text/lines.h"
#include "text/search.h"
#include "usage/run_model.h"
#include "usage/run_other_modules.h"

namespace scourvane {

namespace {

ProjectState inHand(const Session& s) {
    ProjectState p;
    p.intake = s.intake;
    p.modules = s.modules;
    p.moduleSources = s.moduleSources;
    p.activeXProject = s.activeXProject;
    p.missingCode = s.missingCode;
    return p;
}

std::array<std::int64_t, kCounterCount> wide(const Counters& c) {
    std::array<std::int64_t, kCounterCount> out{};
    for (int i = 0; i < kCounterCount; ++i) out[i] = c.get(static_cast<CounterId>(i));
    return out;
}

// The files a project file names that its copy takes in (module entries, then the others),
// each with the user's file it resolves to. Entries that resolve to nothing are left out: the
// intake reports them.
std::vector<std::pair<Bytes, fs::path>> entriesOf(const fs::path& project, RuleSet rules) {
    std::vector<std::pair<Bytes, fs::path>> out;
    const std::string content = files::readAll(project);
    std::vector<Bytes> entries;
    text::LineReader reader(content);
    while (!reader.atEnd())
        if (auto row = moduleEntry(reader.readLine(), rules)) entries.push_back(std::move(*row));
    if (rules == RuleSet::Safe)
        for (Bytes& e : copiedFileEntries(content)) entries.push_back(std::move(e));
    for (const Bytes& e : entries) {
        try {
            const fs::path file = resolveEntry(project.parent_path(), e);
            Bytes name = hasPathSeparator(e) ? reduceModulePath(e, "").name : e;
            out.emplace_back(std::move(name), fileIdentity(file));
        } catch (const RunError&) {
        }
    }
    return out;
}

// The window's list for a run of several projects: each project's file, then its modules.
void showProjects(RunContext& ctx, const fs::path& chosen) {
    const Session& s = ctx.session();
    std::vector<std::string> rows;
    for (const ProjectState& p : s.projects) {
        const fs::path relative = p.intake.projectPath.lexically_relative(
            chosenKind(chosen) == ChosenKind::Folder ? chosen : chosen.parent_path());
        // Appended piece by piece: MinGW's GCC 12 warns (-Wrestrict) on a literal added to a
        // temporary string.
        std::string row = "[";
        row += files::display(relative.empty() ? p.intake.projectPath : relative);
        row += "]";
        rows.push_back(std::move(row));
        for (const Bytes& m : p.modules) {
            std::string shown = "    ";
            shown += text::toUtf8(m);
            rows.push_back(std::move(shown));
        }
    }
    ctx.window().setModules(rows);
}

}  // namespace

namespace {

// The session's fields of the project in hand, from a project's state (a fresh one empties
// them): the way back of inHand. What a run derives for the project in hand goes with them.
void putInHand(Session& s, const ProjectState& p) {
    s.intake = p.intake;
    s.modules = p.modules;
    s.moduleSources = p.moduleSources;
    s.activeXProject = p.activeXProject;
    s.missingCode = p.missingCode;
    s.sharedWithActiveX.clear();
    s.rowMissing.clear();
    s.publicsLeft.clear();
}

}  // namespace

void loadProject(Session& s, std::size_t k) {
    s.current = k;
    putInHand(s, s.projects[k]);
}

void intakeProjects(RunContext& ctx, const fs::path& chosen, const CopiedModule& copied) {
    Session& s = ctx.session();
    Window& w = ctx.window();
    const fs::path absolute = fs::absolute(chosen).lexically_normal();
    if (chosenKind(absolute) == ChosenKind::Project) {
        intake(ctx, chosen, copied);
        s.chosen = chosen;
        s.projects = {inHand(s)};
        s.current = 0;
        s.sharedWithActiveX.clear();
        return;
    }
    w.setStatus("");
    ctx.setProgress(0);
    ProjectList list;
    // A group or folder that names no project leaves the project in hand as it was.
    if (!guarded(w, [&] { list = projectsOf(absolute); })) return;
    for (const RunError& problem : list.problems) guarded(w, [&] { throw problem; });
    s.chosen = chosen;
    s.projects.clear();
    s.current = 0;
    // Per working copy folder: the user's file behind each module name it holds.
    std::map<fs::path, std::map<Bytes, fs::path>> taken;
    for (const fs::path& project : list.projects) {
        const IntakeState st = splitProjectPath(project);
        auto& names = taken[st.workingCopy];
        const bool fits = guarded(w, [&] {
            if (names.empty()) return;
            std::vector<std::pair<Bytes, fs::path>> entries;
            try {
                entries = entriesOf(project, s.rules);
            } catch (const RunError&) {
                return;  // its intake reports what cannot be read
            }
            for (const auto& [name, file] : entries) {
                const auto it = names.find(workingCopyKey(name));
                if (it == names.end() || it->second == file) continue;
                throw RunError(err::kFileAlreadyExists,
                               "作業フォルダー " + files::display(st.workingCopy) +
                                   " で別のモジュールが同じ名前になります: " +
                                   files::display(it->second) + " と " + files::display(file) +
                                   " (" + st.projectFileName + " は取り込みません)");
            }
        });
        if (!fits) continue;
        putInHand(s, ProjectState{});
        intake(ctx, project, copied);
        if (!s.intake.loaded) continue;
        for (const auto& [name, file] : s.moduleSources) names[workingCopyKey(name)] = fileIdentity(file);
        s.projects.push_back(inHand(s));
    }
    if (s.projects.empty()) {
        putInHand(s, ProjectState{});
        w.setModules({});
        w.setRunEnabled(false);
        return;
    }
    showProjects(ctx, absolute);
    const std::string kind =
        chosenKind(absolute) == ChosenKind::Group ? " ｸﾞﾙｰﾌﾟ (" : " ﾌｫﾙﾀﾞｰ (";
    w.setProjectLabel(files::display(absolute.filename()) + kind +
                      std::to_string(s.projects.size()) + " ﾌﾟﾛｼﾞｪｸﾄ)");
    loadProject(s, 0);
    w.setRunEnabled(true);
}

namespace {

bool holds(const std::vector<Bytes>& names, const Bytes& name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

// Under the safe rules, each project's files that can hold code and are not in its working
// copy: those intake could not copy (it reported them), then any row's file gone since, each
// reported here once.
void findMissingFiles(RunContext& ctx) {
    Session& s = ctx.session();
    for (ProjectState& p : s.projects) {
        p.missingInRun.clear();
        if (s.rules != RuleSet::Safe) continue;
        p.missingInRun = p.missingCode;
        // A copy that is gone or linked elsewhere is refused by the run as a whole.
        std::error_code ec;
        if (!fs::is_directory(fs::symlink_status(p.intake.workingCopy, ec))) continue;
        try {
            refuseLinkedWorkingCopy(p.intake.workingCopy);
        } catch (const RunError&) {
            continue;
        }
        for (const Bytes& row : p.modules) {
            if (holds(p.missingInRun, row)) continue;
            fs::path file;
            try {
                file = workingCopyFile(p.intake.workingCopy, row);
            } catch (const RunError&) {
            }
            if (!file.empty() && files::exists(file)) continue;
            p.missingInRun.push_back(row);
            if (!file.empty()) guarded(ctx.window(), [&] { files::throwFor(ENOENT, file); });
        }
    }
}

// The rows of the project in hand whose file is missing, and those whose Public declarations
// are left unjudged: `left` says so of a row.
template <typename Left>
void markRows(Session& s, const ProjectState& p, Left&& left) {
    s.rowMissing.assign(s.modules.size(), 0);
    s.publicsLeft.assign(s.modules.size(), 0);
    for (std::size_t r = 0; r < s.modules.size(); ++r) {
        s.rowMissing[r] = holds(p.missingInRun, s.modules[r]);
        s.publicsLeft[r] = left(r);
    }
}

}  // namespace

void judgeProjects(RunContext& ctx) {
    Session& s = ctx.session();
    findMissingFiles(ctx);
    if (s.projects.size() <= 1) {
        if (!s.projects.empty() && !s.projects[0].missingInRun.empty())
            markRows(s, s.projects[0], [](std::size_t) { return true; });
        judgeProject(ctx);
        s.rowMissing.clear();
        s.publicsLeft.clear();
        if (!s.projects.empty()) s.projects[0].counters = wide(ctx.counters());
        return;
    }
    Window& w = ctx.window();
    const RunModel model = buildRunModel(s);
    // A module some incomplete project includes: that project's missing files may use it.
    std::vector<char> left(model.modules.size(), 0);
    for (std::size_t id = 0; id < model.modules.size(); ++id)
        for (std::uint32_t p : model.modules[id].projects)
            if (!s.projects[p].missingInRun.empty()) left[id] = 1;
    const std::unique_ptr<RunOtherModules> others = runOtherModules(ctx, model);
    std::vector<std::array<std::int64_t, kCounterCount>> counted(model.modules.size());
    std::size_t shown = 0;
    for (std::uint32_t k = 0; k < s.projects.size(); ++k) {
        loadProject(s, k);
        for (std::size_t r = 0; r < s.modules.size(); ++r) {
            const RunModel::Module& m = model.modules[model.moduleOf[k][r]];
            if (m.activeXClass) s.sharedWithActiveX.push_back(s.modules[r]);
        }
        markRows(s, s.projects[k], [&](std::size_t r) { return left[model.moduleOf[k][r]]; });
        others->setProject(k);
        ProjectPart part;
        part.others = others.get();
        part.firstShownRow = shown + 1;
        part.judgedBefore = [&](std::size_t row) {
            return model.owner(model.moduleOf[k][row]) != k;
        };
        part.judged = [&](std::size_t row, const Counters& before,
                          const std::optional<Bytes>& written) {
            const std::uint32_t id = model.moduleOf[k][row];
            for (int i = 0; i < kCounterCount; ++i) {
                const auto c = static_cast<CounterId>(i);
                counted[id][i] += std::int64_t{ctx.counters().get(c)} - before.get(c);
            }
            // Every other working copy that holds the module holds what this one does now. (A
            // copy shared with this project, or named in another letter case, reads the same.)
            const fs::path from = ctx.moduleFile(s.modules[row]);
            for (const RunModel::Place& place : model.modules[id].places) {
                if (place.project == k) continue;
                const ProjectState& other = s.projects[place.project];
                guarded(w, [&] {
                    const fs::path to =
                        workingCopyFile(other.intake.workingCopy, other.modules[place.row]);
                    if (to == from) return;
                    const Bytes now = written ? *written : files::readAll(from);
                    if (files::exists(to) && files::readAll(to) == now) return;
                    files::writeAll(to, now);
                });
            }
        };
        judgeProject(ctx, &part);
        shown += 1 + s.modules.size();
    }
    for (std::size_t p = 0; p < s.projects.size(); ++p) {
        s.projects[p].counters = {};
        for (std::uint32_t id : model.projectModules[p])
            for (int i = 0; i < kCounterCount; ++i) s.projects[p].counters[i] += counted[id][i];
    }
    loadProject(s, 0);
}

std::vector<std::string> sharedModuleWarnings(const Session& s, const fs::path& root) {
    if (s.projects.size() != 1 || root.empty()) return {};
    // The user's files of the modules the run changed (each module once: a run of a large
    // project has tens of thousands of findings, and an identity asks the file system).
    std::set<Bytes> modules;
    for (const Finding& f : s.findings) modules.insert(f.module);
    std::map<fs::path, std::string> changed;
    for (const Bytes& module : modules) {
        const auto it = std::find_if(s.moduleSources.rbegin(), s.moduleSources.rend(),
                                     [&](const auto& m) { return m.first == module; });
        if (it != s.moduleSources.rend())
            changed.emplace(fileIdentity(it->second), text::toUtf8(module));
    }
    if (changed.empty()) return {};
    const fs::path self = fileIdentity(s.intake.projectPath);
    std::map<std::string, std::set<std::string>> alsoIn;  // module -> other project files
    std::vector<fs::path> others;
    try {
        others = projectFilesBelow(root, 20000);
    } catch (const RunError&) {
        return {};  // a root that cannot be read names no other project
    }
    for (const fs::path& project : others) {
        if (fileIdentity(project) == self) continue;
        try {
            for (const auto& [name, file] : entriesOf(project, s.rules)) {
                const auto hit = changed.find(file);
                if (hit != changed.end())
                    alsoIn[hit->second].insert(files::display(project.lexically_relative(root)));
            }
        } catch (const RunError&) {
            // A project file that cannot be read names nothing here.
        }
    }
    std::vector<std::string> out;
    for (const auto& [module, projects] : alsoIn) {
        std::string list;
        for (const std::string& p : projects) {
            if (!list.empty()) list += ", ";
            list += p;
        }
        out.push_back(module + " is changed by this run and is also part of " + list +
                      ": its Public declarations were judged for " + s.intake.projectFileName +
                      " alone, so the patch may break those projects; run on the group file or "
                      "the folder " + files::display(root) + " to judge them for all");
    }
    return out;
}

std::vector<std::string> missingFiles(const Session& s) {
    std::vector<std::string> out;
    for (const ProjectState& p : s.projects)
        for (const Bytes& name : p.missingInRun) out.push_back(text::toUtf8(name));
    return out;
}

std::vector<std::string> missingFileWarnings(const Session& s) {
    std::vector<std::string> out;
    for (const ProjectState& p : s.projects) {
        if (p.missingInRun.empty()) continue;
        std::string names;
        for (const Bytes& name : p.missingInRun) {
            if (!names.empty()) names += ", ";
            names += text::toUtf8(name);
        }
        out.push_back(p.intake.projectFileName + " names files that are missing: " + names +
                      "; their code may use any Public declaration, so no Public declaration " +
                      (s.projects.size() > 1 ? "of a module this project includes"
                                             : "of the project") +
                      " was judged");
    }
    return out;
}

}  // namespace scourvane
