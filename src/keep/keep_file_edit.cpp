#include "keep/keep_file_edit.h"

#include <algorithm>

#include "intake/file_ops.h"
#include "keep/keeps.h"

namespace scourvane::keep {

namespace {

std::string_view trimmed(std::string_view s) {
    const std::size_t a = s.find_first_not_of(" \t\r");
    if (a == std::string_view::npos) return {};
    return s.substr(a, s.find_last_not_of(" \t\r") - a + 1);
}

bool sameEntry(std::string_view a, std::string_view b) {
    a = trimmed(a);
    b = trimmed(b);
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
        return lower(x) == lower(y);
    });
}

// The entries of the text's lines: each line less its comment.
std::vector<std::string_view> entriesOf(std::string_view text) {
    std::vector<std::string_view> out;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::string_view line = text.substr(0, end);
        out.push_back(trimmed(line.substr(0, line.find('#'))));
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + 1);
    }
    return out;
}

fs::path keepFile(const fs::path& projectFolder) {
    return projectFolder / files::fromUtf8(kProjectKeepFile);
}

}  // namespace

KeepEdit withEntries(std::string_view text, bool exists, const std::vector<std::string>& entries) {
    KeepEdit edit;
    edit.text = text;
    const bool crlf = !exists || text.find("\r\n") != std::string_view::npos ||
                      text.find('\n') == std::string_view::npos;
    const std::string_view end = crlf ? "\r\n" : "\n";
    if (!exists) {
        edit.text += kKeepFileHeader;
        edit.text += end;
    }
    // Copies: the text grows below.
    std::vector<std::string> held;
    for (std::string_view h : entriesOf(edit.text)) held.emplace_back(h);
    for (const std::string& entry : entries) {
        const std::string_view e = trimmed(entry);
        if (e.empty()) continue;
        const bool known =
            std::any_of(held.begin(), held.end(),
                        [&](const std::string& h) { return sameEntry(h, e); }) ||
            std::any_of(edit.added.begin(), edit.added.end(),
                        [&](const std::string& a) { return sameEntry(a, e); });
        if (known) continue;
        if (!edit.text.empty() && edit.text.back() != '\n') edit.text += end;
        edit.text += e;
        edit.text += end;
        edit.added.emplace_back(e);
    }
    return edit;
}

std::string withoutEntries(std::string_view text, const std::vector<std::string>& added) {
    std::string out(text);
    for (const std::string& entry : added) {
        // The last line that is exactly the entry, with its line end.
        std::size_t at = std::string::npos;
        std::size_t start = 0;
        while (start < out.size()) {
            std::size_t end = out.find('\n', start);
            const std::size_t next = end == std::string::npos ? out.size() : end + 1;
            std::string_view line = std::string_view(out).substr(start, next - start);
            while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
                line.remove_suffix(1);
            if (line == entry) at = start;
            start = next;
        }
        if (at == std::string::npos) continue;
        const std::size_t end = out.find('\n', at);
        out.erase(at, end == std::string::npos ? std::string::npos : end + 1 - at);
    }
    return out;
}

std::vector<std::string> addKeeps(const fs::path& projectFolder,
                                  const std::vector<std::string>& entries) {
    const fs::path file = keepFile(projectFolder);
    const bool exists = files::exists(file);
    const KeepEdit edit = withEntries(exists ? files::readAll(file) : std::string(), exists, entries);
    if (!edit.added.empty()) files::writeAll(file, edit.text);
    return edit.added;
}

void removeKeeps(const fs::path& projectFolder, const std::vector<std::string>& added) {
    const fs::path file = keepFile(projectFolder);
    if (added.empty() || !files::exists(file)) return;
    const std::string text = files::readAll(file);
    const std::string now = withoutEntries(text, added);
    if (now != text) files::writeAll(file, now);
}

}  // namespace scourvane::keep
