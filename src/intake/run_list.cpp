#include "intake/run_list.h"

#include <algorithm>
#include <set>

#include "base/paths.h"
#include "intake/file_ops.h"
#include "intake/working_copy.h"
#include "text/convert.h"
#include "text/lines.h"
#include "text/search.h"

namespace scourvane {

namespace {

bool hasExtension(const fs::path& p, std::string_view ext) {
    return text::toUpper(files::display(p.extension()), text::CodePage::get(1252)) == ext;
}

std::string_view trimmed(std::string_view s) {
    const std::size_t a = s.find_first_not_of(" \t");
    if (a == std::string_view::npos) return {};
    return s.substr(a, s.find_last_not_of(" \t") - a + 1);
}

// The value of a "Key=value" line when its key is `key`, ignoring case.
bool valueOf(std::string_view line, std::string_view key, std::string_view& value) {
    const std::size_t eq = line.find('=');
    if (eq == std::string_view::npos) return false;
    if (text::compareIgnoringCase(trimmed(line.substr(0, eq)), key) != 0) return false;
    value = trimmed(line.substr(eq + 1));
    return !value.empty();
}

}  // namespace

ChosenKind chosenKind(const fs::path& chosen) {
    std::error_code ec;
    if (fs::is_directory(chosen, ec)) return ChosenKind::Folder;
    return hasExtension(chosen, ".VBG") ? ChosenKind::Group : ChosenKind::Project;
}

bool isWorkingCopyFolder(const fs::path& folder) {
    const fs::path parent = folder.parent_path();
    if (parent == folder || parent.filename().empty()) return false;
    return folder.filename() == files::fromUtf8("New_" + files::display(parent.filename()));
}

std::vector<std::string> groupEntries(std::string_view text, const std::string& shownFile) {
    std::vector<std::string> startup, others;
    bool header = false;
    for (const Bytes& row : text::splitLines(text)) {
        const std::string_view line = trimmed(std::string_view(row).substr(
            0, row.ends_with('\r') ? row.size() - 1 : row.size()));
        if (!header) {
            if (line.empty()) continue;
            if (text::toUpper(line.substr(0, 7)) != "VBGROUP")
                throw RunError(err::kBadFileFormat,
                               "グループファイルではありません: " + shownFile);
            header = true;
            continue;
        }
        std::string_view value;
        if (valueOf(line, "StartupProject", value)) startup.emplace_back(value);
        else if (valueOf(line, "Project", value)) others.emplace_back(value);
    }
    if (!header)
        throw RunError(err::kBadFileFormat, "グループファイルではありません: " + shownFile);
    startup.insert(startup.end(), others.begin(), others.end());
    return startup;
}

std::vector<fs::path> projectFilesBelow(const fs::path& folder, std::size_t mostFolders) {
    std::vector<fs::path> found;
    std::size_t folders = 0;
    std::error_code ec;
    fs::recursive_directory_iterator it(folder, fs::directory_options::skip_permission_denied, ec);
    if (ec) files::throwFor(ec.value(), folder);
    for (const fs::recursive_directory_iterator end; it != end; it.increment(ec)) {
        if (ec) break;
        const fs::directory_entry& e = *it;
        std::error_code sec;
        if (e.is_symlink(sec)) {
            if (e.is_directory(sec)) it.disable_recursion_pending();
            continue;
        }
        if (e.is_directory(sec)) {
            const std::string name = files::display(e.path().filename());
            if (name.starts_with(".") || isWorkingCopyFolder(e.path()) || ++folders > mostFolders)
                it.disable_recursion_pending();
            continue;
        }
        if (e.is_regular_file(sec) && hasExtension(e.path(), ".VBP")) found.push_back(e.path());
    }
    std::sort(found.begin(), found.end());
    return found;
}

ProjectList projectsOf(const fs::path& chosen) {
    ProjectList out;
    const fs::path absolute = fs::absolute(chosen).lexically_normal();
    std::set<fs::path> seen;
    auto add = [&](const fs::path& project) {
        if (seen.insert(fileIdentity(project)).second) out.projects.push_back(project);
    };
    switch (chosenKind(absolute)) {
    case ChosenKind::Project:
        out.projects.push_back(absolute);
        return out;
    case ChosenKind::Group: {
        const std::string shown = files::display(absolute);
        for (const std::string& entry : groupEntries(files::readAll(absolute), shown)) {
            try {
                const fs::path project = resolveEntry(absolute.parent_path(), entry);
                std::error_code ec;
                const fs::file_status st = fs::status(project, ec);
                if (!fs::exists(st))
                    throw RunError(err::kFileNotFound,
                                   "ファイルが見つかりません: " + files::display(project) +
                                       " (" + shown + ")");
                if (!fs::is_regular_file(st))
                    throw RunError(err::kPathFileAccess,
                                   "プロジェクトファイルではありません: " +
                                       files::display(project) + " (" + shown + ")");
                add(project);
            } catch (const RunError& e) {
                out.problems.push_back(e);
            }
        }
        if (out.projects.empty() && out.problems.empty())
            throw RunError(err::kFileNotFound,
                           "グループにプロジェクトがありません: " + shown);
        return out;
    }
    case ChosenKind::Folder: {
        for (const fs::path& p : projectFilesBelow(absolute)) add(p);
        if (out.projects.empty())
            throw RunError(err::kFileNotFound,
                           "プロジェクトファイル (.vbp) がありません: " + files::display(absolute));
        return out;
    }
    }
    return out;
}

}  // namespace scourvane
