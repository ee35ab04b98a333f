#include "report/report_data.h"

#include <algorithm>

#include "base/paths.h"
#include "intake/file_ops.h"
#include "text/convert.h"
#include "text/lines.h"

#ifndef SCOURVANE_VERSION
#define SCOURVANE_VERSION "0.0.0"
#endif

namespace scourvane::report {

namespace {

fs::path commonFolder(const fs::path& a, const fs::path& b) {
    fs::path out;
    auto ia = a.begin(), ib = b.begin();
    for (; ia != a.end() && ib != b.end() && *ia == *ib; ++ia, ++ib) out /= *ia;
    return out;
}

std::string generic(const fs::path& p) {
    const std::u8string name = p.generic_u8string();
    return std::string(name.begin(), name.end());
}

}  // namespace

void addRun(ReportData& data, const Session& session) {
    data.projectFile = session.intake.projectPath;
    data.workingCopy = session.intake.workingCopy;
    data.modules = session.modules;
    data.projects.clear();
    if (session.projects.size() > 1) {
        data.projectFile = fs::absolute(session.chosen).lexically_normal();
        data.workingCopy = session.projects[0].intake.projectFolder;
        for (const ProjectState& p : session.projects) {
            data.projects.push_back(
                {p.intake.projectPath, p.intake.workingCopy, p.counters, p.modules});
            data.workingCopy = commonFolder(data.workingCopy, p.intake.projectFolder);
        }
    }
    RunSummary run;
    run.run = static_cast<int>(data.runs.size()) + 1;
    for (int i = 0; i < kCounterCount; ++i)
        run.counters[i] = session.counters.get(static_cast<CounterId>(i));
    run.findings = session.findings.size();
    data.runs.push_back(run);
    for (Finding f : session.findings) {
        f.run = run.run;
        data.findings.push_back(std::move(f));
    }
    for (const std::string& w : session.warnings)
        if (std::find(data.warnings.begin(), data.warnings.end(), w) == data.warnings.end())
            data.warnings.push_back(w);
}

std::string decoded(const ReportData& data, std::string_view bytes) {
    return text::toUtf8(bytes, text::CodePage::get(data.codePage));
}

fs::path copiedFile(const ReportData& data, const Finding& f) {
    if (data.projects.empty()) return workingCopyFile(data.workingCopy, f.module);
    return workingCopyFile(data.projects.at(f.project).workingCopy, f.module);
}

std::string relativeFile(const ReportData& data, const Finding& f) {
    try {
        const fs::path file = copiedFile(data, f);
        return generic(data.projects.empty() ? file.filename()
                                             : file.lexically_relative(data.workingCopy));
    } catch (...) {
        return decoded(data, f.module);  // a row that names no file of the copy
    }
}

std::string projectOf(const ReportData& data, const Finding& f) {
    if (f.project >= data.projects.size()) return {};
    return generic(data.projects[f.project].projectFile.lexically_relative(data.workingCopy));
}

std::vector<std::string> linesOf(const ReportData& data, const Finding& f, std::int64_t first,
                                 std::int64_t last) {
    std::vector<std::string> out;
    try {
        const std::vector<Bytes> rows = text::splitLines(files::readAll(copiedFile(data, f)));
        for (std::int64_t l = std::max<std::int64_t>(first, 1);
             l <= last && l <= static_cast<std::int64_t>(rows.size()); ++l)
            out.push_back(decoded(data, rows[l - 1]));
    } catch (...) {
        out.clear();
    }
    return out;
}

const RuleText& ruleText(Rule rule) {
    static const RuleText texts[kRuleCount] = {
        {"未使用の Dim 変数", "Unused local variable",
         "手続きの中で Dim で宣言され、その手続きのどこからも使われていない変数。作業コピーでは"
         "宣言の行をコメントにしました。",
         "A variable declared with Dim inside a procedure that no other line of the procedure "
         "uses. Its declaration line is commented out in the working copy."},
        {"未使用の Private 宣言", "Unused Private declaration",
         "モジュールの中で Private で宣言され、そのモジュールのどこからも使われていない変数・定数・"
         "Declare・型・手続き。作業コピーでは宣言（手続きと型は本体ごと）をコメントにしました。",
         "A variable, constant, Declare, type or procedure declared Private that no other line "
         "of its module uses. The declaration (with its whole body for procedures and types) is "
         "commented out in the working copy."},
        {"未使用の Public 宣言", "Unused Public declaration",
         "Public で宣言され、プロジェクトのどのモジュールからも使われていない宣言。作業コピーでは"
         "宣言（手続きと型は本体ごと）をコメントにしました。",
         "A declaration made Public that no line of any module of the project uses. The "
         "declaration (with its whole body for procedures and types) is commented out in the "
         "working copy."},
        {"Private にできる Public 宣言", "Public declaration made Private",
         "Public で宣言され、自分のモジュールの中でだけ使われている宣言。作業コピーでは Private "
         "に変えました。",
         "A declaration made Public that only its own module uses. It is declared Private in "
         "the working copy."},
    };
    return texts[static_cast<int>(rule)];
}

std::string toolVersion() {
    return SCOURVANE_VERSION;
}

}  // namespace scourvane::report
