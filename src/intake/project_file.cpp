#include "intake/project_file.h"

#include <algorithm>

#include "intake/file_ops.h"
#include "text/lines.h"
#include "text/search.h"

namespace scourvane {

namespace {
constexpr std::string_view kSeparators = "\\/";

// The text after the first "; " of a Module= or Class= line. A line without "; " lies outside
// the format; it is taken as naming its file right after the "=".
Bytes afterSemicolon(std::string_view line, std::size_t keywordLength) {
    std::size_t p = text::find(line, "; ");
    if (p == text::npos) return Bytes(line.substr(keywordLength));
    return Bytes(line.substr(p + 2));
}
}  // namespace

std::optional<Bytes> moduleEntry(std::string_view line, RuleSet rules) {
    if (text::startsWith(line, "Form=")) return Bytes(line.substr(5));
    if (text::startsWith(line, "Module=")) return afterSemicolon(line, 7);
    if (text::startsWith(line, "Class=")) return afterSemicolon(line, 6);
    if (rules == RuleSet::Safe) {
        for (std::string_view key :
             {"UserControl=", "PropertyPage=", "UserDocument=", "Designer="})
            if (text::startsWith(line, key)) return Bytes(line.substr(key.size()));
    }
    return std::nullopt;
}

bool isDesignerRow(std::string_view row) {
    return text::endsWith(text::toUpper(row), ".DSR");
}

std::optional<Bytes> copiedFileEntry(std::string_view line) {
    if (!text::startsWith(line, "ResFile32=")) return std::nullopt;
    std::string_view value = line.substr(10);
    // A double quote is never a trail byte: the closing one is the next such byte.
    if (!value.empty() && value.front() == '"') {
        value.remove_prefix(1);
        value = value.substr(0, value.find('"'));
    }
    if (value.empty()) return std::nullopt;
    return Bytes(value);
}

std::vector<Bytes> copiedFileEntries(std::string_view projectText) {
    std::vector<Bytes> entries;
    text::LineReader reader(projectText);
    while (!reader.atEnd())
        if (auto entry = copiedFileEntry(reader.readLine())) entries.push_back(std::move(*entry));
    return entries;
}

bool namesActiveXType(std::string_view line) {
    if (!text::startsWith(line, "Type=")) return false;
    std::string_view value = line.substr(5);
    while (!value.empty() && value.back() == ' ') value.remove_suffix(1);
    const std::string upper = text::toUpper(value);
    return upper == "OLEDLL" || upper == "OLEEXE" || upper == "CONTROL";
}

void insertSorted(std::vector<Bytes>& rows, Bytes row) {
    auto at = std::upper_bound(rows.begin(), rows.end(), row, [](const Bytes& a, const Bytes& b) {
        return text::compareIgnoringCase(a, b) < 0;
    });
    rows.insert(at, std::move(row));
}

void readProjectFile(RunContext& ctx, const fs::path& path) {
    auto& modules = ctx.session().modules;
    const RuleSet rules = ctx.session().rules;
    modules.clear();
    ctx.session().activeXProject = false;
    ctx.setProgress(0);
    const std::string content = files::readAll(path);
    const auto total = static_cast<std::int64_t>(content.size());
    text::LineReader reader(content);
    while (!reader.atEnd()) {
        std::string_view line = reader.readLine();
        if (auto row = moduleEntry(line, rules)) insertSorted(modules, std::move(*row));
        if (namesActiveXType(line)) ctx.session().activeXProject = true;
        ctx.yield();
        ctx.progress(total, static_cast<std::int64_t>(reader.consumed()));
    }
    ctx.showModules();
    if (modules.size() == 1) ctx.window().selectModule(0);
    ctx.setProgress(0);
}

Reduction reduceModulePath(std::string_view entry, std::string_view projectText) {
    std::size_t k = text::findLastOf(entry, kSeparators);
    Bytes name(k == text::npos ? entry : entry.substr(k + 1));
    Bytes text = text::replaceAll(projectText, entry, name);
    return {std::move(name), std::move(text)};
}

bool hasPathSeparator(std::string_view row) {
    return text::findLastOf(row, kSeparators) != text::npos;
}

}  // namespace scourvane
