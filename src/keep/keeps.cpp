#include "keep/keeps.h"

#include <algorithm>

#include "base/paths.h"
#include "collect/keep_comment.h"
#include "intake/file_ops.h"
#include "rules/identifiers.h"
#include "text/convert.h"

namespace scourvane::keep {

namespace {

// ASCII letters in upper case, as VB ignores their case (a trail byte is never touched).
Bytes folded(std::string_view s) { return identifiers::folded(s, text::activeCodePage()); }

bool sameName(std::string_view declared, const Bytes& keptFolded) {
    const Bytes d = folded(declared);
    if (d == keptFolded) return true;
    // Total$ is declared as Total with its type character.
    return d.size() == keptFolded.size() + 1 &&
           std::string_view("$%&!#@").find(d.back()) != std::string_view::npos &&
           std::string_view(d).substr(0, keptFolded.size()) == keptFolded;
}

bool sameModule(std::string_view row, const Bytes& moduleFolded) {
    if (moduleFolded.empty()) return true;
    const Bytes r = folded(row);
    if (r == moduleFolded) return true;
    const std::size_t dot = r.rfind('.');
    return dot != Bytes::npos && std::string_view(r).substr(0, dot) == moduleFolded;
}

std::string_view trimmed(std::string_view s) {
    const std::size_t a = s.find_first_not_of(" \t\r");
    if (a == std::string_view::npos) return {};
    return s.substr(a, s.find_last_not_of(" \t\r") - a + 1);
}

}  // namespace

KeepFile parseKeepFile(std::string_view text, const std::string& source) {
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
    KeepFile out;
    int number = 0;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        ++number;
        line = trimmed(line.substr(0, line.find('#')));
        if (line.empty()) continue;
        const std::string where = source + ":" + std::to_string(number);
        const std::size_t dot = line.rfind('.');
        const std::string_view module = dot == std::string_view::npos ? "" : line.substr(0, dot);
        const std::string_view name = dot == std::string_view::npos ? line : line.substr(dot + 1);
        const auto moduleBytes = text::fromUtf8(module, text::activeCodePage());
        const auto nameBytes = text::fromUtf8(name, text::activeCodePage());
        if (name.empty() || name.find_first_of(" \t") != std::string_view::npos || !moduleBytes ||
            !nameBytes) {
            out.warnings.push_back(where + ": " + std::string(line) +
                                   ": not a name of the project's code page");
            continue;
        }
        out.names.push_back({folded(*moduleBytes), folded(*nameBytes), where, std::string(line)});
    }
    return out;
}

LoadedKeeps loadKeeps(const fs::path& projectFolder, const std::vector<fs::path>& files) {
    return loadKeeps(std::vector<fs::path>{projectFolder}, files);
}

LoadedKeeps loadKeeps(const std::vector<fs::path>& projectFolders,
                      const std::vector<fs::path>& files) {
    std::vector<fs::path> all;
    for (const fs::path& folder : projectFolders) {
        const fs::path own = folder / files::fromUtf8(kProjectKeepFile);
        if (!folder.empty() && files::exists(own) &&
            std::find(all.begin(), all.end(), own) == all.end())
            all.push_back(own);
    }
    all.insert(all.end(), files.begin(), files.end());
    auto names = std::make_shared<KeepNames>();
    LoadedKeeps out;
    for (const fs::path& file : all) {
        KeepFile parsed = parseKeepFile(files::readAll(file), files::display(file));
        for (KeepName& k : parsed.names) names->names.push_back(std::move(k));
        for (std::string& w : parsed.warnings) out.warnings.push_back(std::move(w));
    }
    out.names = std::move(names);
    return out;
}

bool keptByName(const KeepNames& keeps, std::string_view moduleRow, std::string_view name) {
    bool kept = false;
    for (std::size_t i = 0; i < keeps.names.size(); ++i) {
        const KeepName& k = keeps.names[i];
        if (!sameName(name, k.name) || !sameModule(moduleRow, k.module)) continue;
        keeps.noteMatch(i);
        kept = true;
    }
    return kept;
}

bool keptByComment(std::span<const std::string_view> rows, std::size_t row,
                   std::string_view marker) {
    if (holdsKeepComment(rows[row])) return true;
    return row > 0 && !rows[row - 1].starts_with(marker) && isKeepCommentLine(rows[row - 1]);
}

std::vector<std::string> unmatchedKeeps(const KeepNames& keeps) {
    std::vector<std::string> out;
    for (std::size_t i = 0; i < keeps.names.size(); ++i)
        if (!keeps.matched(i))
            out.push_back(keeps.names[i].where + ": " + keeps.names[i].entry +
                          ": the project declares no such name");
    return out;
}

}  // namespace scourvane::keep
