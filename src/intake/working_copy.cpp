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
    fs::path exact = base / files::fromUtf8(name);
    if (files::exists(exact)) return exact;
    std::error_code ec;
    if (!fs::is_directory(base, ec)) return exact;
    std::string best;
    for (fs::directory_iterator it(base, ec), end; !ec && it != end; it.increment(ec)) {
        std::string candidate = files::display(it->path().filename());
        // Byte by byte, folding ASCII letters: exact for UTF-8 names, as Windows folds them.
        if (text::compareIgnoringCase(candidate, name, text::CodePage::get(1252)) == 0 &&
            (best.empty() || candidate < best))
            best = candidate;
    }
    return best.empty() ? exact : base / files::fromUtf8(best);
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

// True unless the file's own text is read and names no binary file with the extension `ext`
// (lower case): a form without binary properties never had a .frx, and a missing one is then
// nothing to report. A file that cannot be read is taken to name one, so that its missing .frx
// is reported as ever. User controls, property pages, user documents and designers name theirs
// the same way ("ctlX.ctx":0000).
bool namesBinaryFile(const fs::path& projectFolder, std::string_view entry, std::string_view ext) {
    try {
        const std::string content =
            text::toUpper(files::readAll(resolveEntry(projectFolder, entry)));
        // Appended piece by piece: GCC 12 warns (-Wrestrict, a false positive) on a literal
        // added to a temporary string.
        std::string needle = ".";
        needle += text::toUpper(ext);
        needle += '"';
        return text::contains(content, needle);
    } catch (const RunError&) {
        return true;
    }
}

// The extensions of the binary files that may go with an entry's file: a form's .frx; under
// the safe rules also a user control's .ctx, a property page's .pgx, a user document's .dox
// and a designer's .dca (a data report) or .dsx (a data environment).
std::vector<std::string_view> binaryExtensions(std::string_view entry, RuleSet rules) {
    const std::string upper = text::toUpper(entry);
    if (text::endsWith(upper, "FRM")) return {"frx"};
    if (rules != RuleSet::Safe) return {};
    if (text::endsWith(upper, "CTL")) return {"ctx"};
    if (text::endsWith(upper, "PAG")) return {"pgx"};
    if (text::endsWith(upper, "DOB")) return {"dox"};
    if (text::endsWith(upper, "DSR")) return {"dca", "dsx"};
    return {};
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
    s.workingCopy = s.projectFolder / files::fromUtf8("New_" + s.folderName);
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
        base = files::fromUtf8(utf8->substr(0, 2) + "\\");
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

void intake(RunContext& ctx, const fs::path& chosen, const CopiedModule& copied) {
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
    session.moduleSources.clear();
    session.missingCode.clear();
    const IntakeState& st = session.intake;
    // Refused before anything is made or copied.
    if (!guarded(w, [&] { refuseLinkedWorkingCopy(st.workingCopy); })) return;
    const fs::path copiedProject = st.workingCopy / files::fromUtf8(st.projectFileName);

    if (!files::exists(st.workingCopy)) guarded(w, [&] { files::createFolder(st.workingCopy); });
    // Another intake or run on this copy: refused before anything is copied into it.
    std::optional<files::FolderLock> lock;
    std::error_code ec;
    if (fs::is_directory(st.workingCopy, ec) && !guarded(w, [&] { lock.emplace(st.workingCopy); }))
        return;
    files::removeLeftovers(st.workingCopy);
    // Taken in again over an earlier copy, each file it replaces is overwritten by the next
    // replacement instead of being freed.
    files::ReuseReplacedFiles reuse(st.workingCopy);
    w.setProjectLabel(st.projectFileName + " ﾌﾟﾛｼﾞｪｸﾄ");
    guarded(w, [&] { files::copyFile(st.projectPath, copiedProject); });

    const std::string& file = st.projectFileName;
    const std::string stem = file.substr(0, file.size() >= 3 ? file.size() - 3 : 0);
    // The workspace file is per user and often not kept in version control; the development
    // environment writes one when the project is opened. Only one that exists is copied (and
    // one that cannot be copied shows its box).
    guarded(w, [&] {
        const fs::path workspace = matchComponent(st.projectFolder, stem + "vbw");
        if (!files::exists(workspace)) return;
        files::copyFile(workspace, st.workingCopy / files::fromUtf8(stem + "vbw"));
    });

    guarded(w, [&] { readProjectFile(ctx, copiedProject); });

    Bytes projectText;
    bool haveText = guarded(w, [&] { projectText = files::readAll(copiedProject); });

    // Copies the file an entry names flat into the working copy, with its binary files, and
    // rewrites the entry in the project text to the bare file name. Returns that name.
    auto takeIn = [&](const Bytes& source, bool holdsCode) {
        Bytes name = source;
        if (hasPathSeparator(source)) {
            Reduction r = reduceModulePath(source, projectText);
            name = std::move(r.name);
            projectText = std::move(r.projectText);
        }
        const bool taken = guarded(w, [&] {
            const fs::path from = resolveEntry(st.projectFolder, source);
            const fs::path to = workingCopyFile(st.workingCopy, name);
            std::string content = files::readAll(from);
            files::writeAll(to, content);
            session.moduleSources.emplace_back(name, from);
            if (holdsCode && copied) copied(to, std::move(content));
        });
        if (!taken && holdsCode) session.missingCode.push_back(name);
        // The safe rules report a missing file once: not again for the binary files its text
        // would have named.
        if (!taken && session.rules == RuleSet::Safe) return name;
        for (std::string_view ext : binaryExtensions(source, session.rules)) {
            guarded(w, [&] {
                const Bytes binarySource = source.substr(0, source.size() - 3) + Bytes(ext);
                const Bytes binaryName = name.substr(0, name.size() - 3) + Bytes(ext);
                const fs::path from = resolveEntry(st.projectFolder, binarySource);
                if (!files::exists(from) && !namesBinaryFile(st.projectFolder, source, ext))
                    return;
                files::copyFile(from, workingCopyFile(st.workingCopy, binaryName));
            });
        }
        return name;
    };

    // Read before any entry is rewritten, as the module table was.
    const std::vector<Bytes> otherFiles =
        session.rules == RuleSet::Safe ? copiedFileEntries(projectText) : std::vector<Bytes>{};
    for (std::size_t i = 0; i < session.modules.size(); ++i) {
        const Bytes source = session.modules[i];
        session.modules[i] = takeIn(source, true);
    }
    for (const Bytes& source : otherFiles) takeIn(source, false);
    // A name a later entry copied is in the copy after all.
    std::erase_if(session.missingCode, [&](const Bytes& name) {
        return std::any_of(session.moduleSources.begin(), session.moduleSources.end(),
                           [&](const auto& m) { return m.first == name; });
    });
    ctx.showModules();

    // Without the project text (its read failed) the copied project file is left as it is
    // rather than replaced by an empty text.
    if (haveText) guarded(w, [&] { files::writeAll(copiedProject, projectText); });
    ctx.setProgress(0);
    w.setStatus("");
    w.setRunEnabled(true);
}

}  // namespace scourvane
