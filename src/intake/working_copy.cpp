#include "intake/working_copy.h"

#include <algorithm>
#include <cerrno>
#include <optional>
#include <system_error>
#include <vector>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#endif

#include "base/guard.h"
#include "base/run_error.h"
#include "intake/file_ops.h"
#include "intake/project_file.h"
#include "text/convert.h"
#include "text/search.h"

namespace scourvane {

namespace {

// base / name, or the entry of base whose name equals name ignoring ASCII case (the first in
// name order when several do), or base / name when none does.
fs::path matchComponent(const fs::path& base, const std::string& name) {
    fs::path exact = base / name;
    if (files::exists(exact)) return exact;
    std::error_code ec;
    if (!fs::is_directory(base, ec)) return exact;
    std::string best;
    for (fs::directory_iterator it(base, ec), end; !ec && it != end; it.increment(ec)) {
        std::string candidate = it->path().filename().string();
        // Byte by byte, folding ASCII letters: exact for UTF-8 names, as Windows folds them.
        if (text::compareIgnoringCase(candidate, name, text::CodePage::get(1252)) == 0 &&
            (best.empty() || candidate < best))
            best = candidate;
    }
    return best.empty() ? exact : base / best;
}

bool hasDriveLetter(const std::string& utf8) {
    return utf8.size() >= 2 && utf8[1] == ':' &&
           ((utf8[0] >= 'A' && utf8[0] <= 'Z') || (utf8[0] >= 'a' && utf8[0] <= 'z'));
}

// base followed by the components of `path`, separated by "\" or "/" characters of `cp`.
fs::path followComponents(fs::path at, std::string_view path, const text::CodePage& cp) {
    std::size_t start = 0;
    while (start <= path.size()) {
        const std::size_t end = std::min(
            {text::find(path, "\\", start, cp), text::find(path, "/", start, cp), path.size()});
        const std::string part(path.substr(start, end - start));
        if (part == "..") {
            at = at.parent_path();
        } else if (!part.empty() && part != ".") {
            at = matchComponent(at, part);
        }
        start = end + 1;
    }
    return at;
}

// True unless the form's own text is read and names no binary file: a form without binary
// properties never had a .frx, and a missing one is then nothing to report. A form that cannot
// be read is taken to name one, so that its missing .frx is reported as ever.
bool namesBinaryFile(const fs::path& projectFolder, std::string_view formEntry) {
    try {
        const std::string form =
            text::toUpper(files::readAll(resolveEntry(projectFolder, formEntry)));
        return text::contains(form, ".FRX\"");
    } catch (const RunError&) {
        return true;
    }
}

}  // namespace

IntakeState splitProjectPath(const fs::path& chosen) {
    IntakeState s;
    s.loaded = true;
    s.projectPath = fs::absolute(chosen).lexically_normal();
    s.projectFolder = s.projectPath.parent_path();
    s.projectFileName = files::display(s.projectPath.filename());
    if (s.projectFolder != s.projectFolder.root_path())
        s.folderName = files::display(s.projectFolder.filename());
    s.workingCopy = s.projectFolder / ("New_" + s.folderName);
    return s;
}

fs::path resolveEntry(const fs::path& projectFolder, std::string_view entry) {
    auto utf8 = text::toUtf8Exact(entry);
    if (!utf8 || utf8->find('\0') != std::string::npos)
        throw RunError(err::kBadFileName, "ファイル名が不正です: " + text::toUtf8(entry));
    fs::path base = projectFolder;
    std::size_t start = 0;
    if (hasDriveLetter(*utf8)) {
#ifdef _WIN32
        base = fs::path(utf8->substr(0, 2) + "\\");
        start = 2;
#else
        // Drives exist only on Windows: such an entry names no file here.
        throw RunError(err::kPathNotFound, "パスが見つかりません: " + *utf8);
#endif
    } else if (!utf8->empty() && ((*utf8)[0] == '\\' || (*utf8)[0] == '/')) {
        base = projectFolder.root_path();
    }
    // UTF-8 never has "\" or "/" inside a character: a single-byte split is exact.
    const fs::path found =
        followComponents(base, std::string_view(*utf8).substr(start), text::CodePage::get(1252));
#ifndef _WIN32
    // Files unpacked on Linux from a Windows archive often keep their names in the code page's
    // own bytes.
    if (!files::exists(found) && *utf8 != entry) {
        const fs::path raw = followComponents(base, entry.substr(start), text::activeCodePage());
        if (files::exists(raw)) return raw;
    }
#endif
    return found;
}

namespace {

// A symbolic link, or on Windows any reparse point (a junction, a mount point).
bool isLinked(const fs::path& p) {
#ifdef _WIN32
    const DWORD attributes = ::GetFileAttributesW(p.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
#else
    std::error_code ec;
    return fs::is_symlink(fs::symlink_status(p, ec));
#endif
}

}  // namespace

void refuseLinkedWorkingCopy(const fs::path& workingCopy) {
    if (isLinked(workingCopy))
        throw RunError(err::kPathFileAccess,
                       "作業フォルダーがシンボリックリンクです: " + files::display(workingCopy));
}

void intake(RunContext& ctx, const fs::path& chosen) {
    Window& w = ctx.window();
    Session& session = ctx.session();
    w.setStatus("");
    ctx.setProgress(0);

    // A path that names no file is refused before anything is made or changed.
    bool usable = guarded(w, [&] {
        std::error_code ec;
        if (!fs::exists(chosen, ec)) files::throwFor(ENOENT, chosen);
        if (fs::is_directory(chosen, ec)) files::throwFor(EISDIR, chosen);
    });
    if (!usable) return;

    session.intake = splitProjectPath(chosen);
    const IntakeState& st = session.intake;
    // Refused before anything is made or copied.
    if (!guarded(w, [&] { refuseLinkedWorkingCopy(st.workingCopy); })) return;
    const fs::path copiedProject = st.workingCopy / st.projectFileName;

    if (!files::exists(st.workingCopy)) guarded(w, [&] { files::createFolder(st.workingCopy); });
    // Another intake or run on this copy: refused before anything is copied into it.
    std::optional<files::FolderLock> lock;
    std::error_code ec;
    if (fs::is_directory(st.workingCopy, ec) && !guarded(w, [&] { lock.emplace(st.workingCopy); }))
        return;
    files::removeLeftovers(st.workingCopy);
    w.setProjectLabel(st.projectFileName + " ﾌﾟﾛｼﾞｪｸﾄ");
    guarded(w, [&] { files::copyFile(st.projectPath, copiedProject); });

    const std::string& file = st.projectFileName;
    const std::string stem = file.substr(0, file.size() >= 3 ? file.size() - 3 : 0);
    guarded(w, [&] {
        files::copyFile(matchComponent(st.projectFolder, stem + "vbw"),
                        st.workingCopy / (stem + "vbw"));
    });

    guarded(w, [&] { readProjectFile(ctx, copiedProject); });

    Bytes projectText;
    bool haveText = guarded(w, [&] { projectText = files::readAll(copiedProject); });

    for (std::size_t i = 0; i < session.modules.size(); ++i) {
        const Bytes source = session.modules[i];
        Bytes name = source;
        if (hasPathSeparator(source)) {
            Reduction r = reduceModulePath(source, projectText);
            session.modules[i] = r.name;
            name = std::move(r.name);
            projectText = std::move(r.projectText);
        }
        guarded(w, [&] {
            files::copyFile(resolveEntry(st.projectFolder, source),
                            workingCopyFile(st.workingCopy, name));
        });
        if (text::endsWith(text::toUpper(source), "FRM")) {
            guarded(w, [&] {
                const Bytes frxSource = source.substr(0, source.size() - 3) + "frx";
                const Bytes frxName = name.substr(0, name.size() - 3) + "frx";
                const fs::path from = resolveEntry(st.projectFolder, frxSource);
                if (!files::exists(from) && !namesBinaryFile(st.projectFolder, source)) return;
                files::copyFile(from, workingCopyFile(st.workingCopy, frxName));
            });
        }
    }
    ctx.showModules();

    // Without the project text (its read failed) the copied project file is left as it is
    // rather than replaced by an empty text.
    if (haveText) guarded(w, [&] { files::writeAll(copiedProject, projectText); });
    ctx.setProgress(0);
    w.setStatus("");
    w.setRunEnabled(true);
}

}  // namespace scourvane
