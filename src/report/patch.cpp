#include "report/patch.h"

#include <algorithm>
#include <set>

#include "base/paths.h"
#include "intake/file_ops.h"
#include "report/unified_diff.h"

namespace scourvane::report {

namespace {

fs::path normalAbsolute(const fs::path& p) {
    std::error_code ec;
    fs::path abs = fs::weakly_canonical(fs::absolute(p, ec), ec);
    return (ec ? fs::absolute(p) : abs).lexically_normal();
}

// The longest leading run of components the two paths share.
fs::path commonFolder(const fs::path& a, const fs::path& b) {
    fs::path out;
    auto ia = a.begin(), ib = b.begin();
    for (; ia != a.end() && ib != b.end() && *ia == *ib; ++ia, ++ib) out /= *ia;
    return out;
}

std::string withoutMarkedLines(std::string_view text, std::string_view marker) {
    std::string out;
    out.reserve(text.size());
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::size_t n = end == std::string_view::npos ? text.size() : end + 1;
        const std::string_view line = text.substr(0, n);
        if (marker.empty() || !line.starts_with(marker)) out += line;
        text.remove_prefix(n);
    }
    return out;
}

// The path of `file` below `root`, "/" between its parts, as the file system names it (UTF-8
// on Windows, the name's bytes on Linux).
std::string relativeName(const fs::path& file, const fs::path& root) {
    std::string out;
    for (const fs::path& part : file.lexically_relative(root)) {
        if (part == ".") continue;
        if (!out.empty()) out += '/';
        out += files::display(part);
    }
    return out;
}

struct Change {
    fs::path source, copy;
};

// Each module file of the projects once, from the copy of the first that includes it; `root`
// becomes the folder holding them and the project folders.
std::vector<Change> changesOf(const PatchInput& input, fs::path& root) {
    std::vector<Change> changes;
    std::set<fs::path> sources;  // a module file several projects include, once
    for (const PatchProject& project : input.projects) {
        const fs::path folder = normalAbsolute(project.projectFolder);
        root = root.empty() ? folder : commonFolder(root, folder);
        std::vector<text::Bytes> seen;  // two entries of one file name share a row, and one copy
        for (const text::Bytes& row : project.modules) {
            if (std::find(seen.begin(), seen.end(), row) != seen.end()) continue;
            seen.push_back(row);
            const auto it = std::find_if(project.sources.rbegin(), project.sources.rend(),
                                         [&](const auto& s) { return s.first == row; });
            if (it == project.sources.rend()) continue;  // its copy failed: it holds no result
            const fs::path source = normalAbsolute(it->second);
            if (!sources.insert(source).second) continue;
            changes.push_back({source, workingCopyFile(project.workingCopy, row)});
        }
    }
    for (const Change& c : changes) root = commonFolder(root, c.source.parent_path());
    return changes;
}

}  // namespace

fs::path patchRoot(const PatchInput& input) {
    fs::path root;
    changesOf(input, root);
    return root;
}

Patch makePatch(const PatchInput& input, PatchMode mode) {
    Patch patch;
    const std::vector<Change> changes = changesOf(input, patch.root);

    std::string diffs;
    for (const Change& c : changes) {
        const std::string before = files::readAll(c.source);
        std::string after = files::readAll(c.copy);
        if (mode == PatchMode::Remove) after = withoutMarkedLines(after, input.marker);
        const std::string diff = fileDiff(relativeName(c.source, patch.root), before, after);
        if (diff.empty()) continue;
        diffs += diff;
        ++patch.files;
    }
    std::string of;
    if (input.projects.size() == 1) {
        const std::string project =
            relativeName(normalAbsolute(input.projects[0].projectFolder), patch.root);
        of = "the project " +
             (project.empty() ? std::string("in this folder") : "in " + project + "/");
    } else {
        of = std::to_string(input.projects.size()) + " projects";
    }
    patch.text = "Scourvane: " + std::to_string(patch.files) + " module file(s) of " + of +
                 (mode == PatchMode::Remove ? ", unused declarations removed"
                                            : ", unused declarations commented out") +
                 ".\nApply in " + files::display(patch.root) +
                 ": git apply PATCH, or patch -p1 --binary < PATCH\n\n" + diffs;
    return patch;
}

}  // namespace scourvane::report
