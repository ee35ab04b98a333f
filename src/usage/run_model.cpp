#include "usage/run_model.h"

#include <algorithm>
#include <map>

#include "base/paths.h"
#include "base/run_error.h"
#include "collect/declaration_kind.h"
#include "text/convert.h"
#include "text/search.h"

namespace scourvane {

RunModel buildRunModel(const Session& session) {
    RunModel model;
    std::map<fs::path, std::uint32_t> byFile;
    const auto count = static_cast<std::uint32_t>(session.projects.size());
    model.moduleOf.resize(count);
    model.projectModules.resize(count);
    for (std::uint32_t p = 0; p < count; ++p) {
        const ProjectState& project = session.projects[p];
        for (std::size_t r = 0; r < project.modules.size(); ++r) {
            const Bytes& row = project.modules[r];
            fs::path copy, key;
            try {
                copy = workingCopyFile(project.intake.workingCopy, row);
            } catch (const RunError&) {
                // No file of the copy: a module of its own, which its passes report.
            }
            const auto source = std::find_if(project.moduleSources.rbegin(),
                                             project.moduleSources.rend(),
                                             [&](const auto& s) { return s.first == row; });
            if (source != project.moduleSources.rend()) key = fileIdentity(source->second);
            else if (!copy.empty()) key = fileIdentity(copy);
            std::uint32_t id;
            const auto known = key.empty() ? byFile.end() : byFile.find(key);
            if (known != byFile.end()) {
                id = known->second;
            } else {
                id = static_cast<std::uint32_t>(model.modules.size());
                if (!key.empty()) byFile.emplace(key, id);
                RunModel::Module m;
                m.file = copy;
                m.shown = text::toUtf8(row);
                model.modules.push_back(std::move(m));
            }
            RunModel::Module& m = model.modules[id];
            m.places.push_back({p, r});
            if (m.projects.empty() || m.projects.back() != p) {
                m.projects.push_back(p);
                model.projectModules[p].push_back(id);
            }
            if (project.activeXProject && isClassLikeModuleName(row) &&
                !text::endsWith(text::toUpper(row), ".FRM"))
                m.activeXClass = true;
            model.moduleOf[p].push_back(id);
        }
    }
    // A project that names two files of one name holds only the last in its copy, but its code
    // was written against both: the first still counts among the modules that include it.
    for (std::uint32_t p = 0; p < count; ++p) {
        for (const auto& [row, file] : session.projects[p].moduleSources) {
            const auto known = byFile.find(fileIdentity(file));
            if (known == byFile.end()) continue;
            std::vector<std::uint32_t>& projects = model.modules[known->second].projects;
            const auto at = std::lower_bound(projects.begin(), projects.end(), p);
            if (at != projects.end() && *at == p) continue;
            projects.insert(at, p);
            model.projectModules[p].push_back(known->second);
        }
    }
    return model;
}

}  // namespace scourvane
