// The findings as one self-contained HTML page: inline style, no scripts, nothing fetched.
#include <map>
#include <string>
#include <vector>

#include "base/paths.h"
#include "report/reports.h"

namespace scourvane::report {

namespace {

std::string escaped(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '\'':
                out += "&#39;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

const char* kindText(DeclarationKind kind) {
    switch (kind) {
        case DeclarationKind::Variable:
            return "変数";
        case DeclarationKind::Constant:
            return "定数";
        case DeclarationKind::Declare:
            return "Declare";
        case DeclarationKind::Type:
            return "型";
        case DeclarationKind::Procedure:
            return "手続き";
        case DeclarationKind::Property:
            return "プロパティ";
    }
    return "";
}

// The rows of the window's counter grid: label, declared counter, unused counter, CSS class.
struct GridRow {
    const char* label;
    CounterId declared, unused;
    const char* css;
};
constexpr GridRow kGrid[] = {
    {"Dim", CounterId::Dim, CounterId::UnusedDim, "dim"},
    {"Private", CounterId::Private, CounterId::UnusedPrivate, "private"},
    {"Public", CounterId::Public, CounterId::UnusedPublic, "public"},
};

const char* ruleCss(Rule rule) {
    switch (rule) {
        case Rule::UnusedDim:
            return "dim";
        case Rule::UnusedPrivate:
            return "private";
        case Rule::UnusedPublic:
            return "public";
        case Rule::PublicToPrivate:
            return "demoted";
    }
    return "";
}

// The colours of the window's counter labels, and a green for declarations made Private.
const char* const kStyle = R"(
body{margin:0;background:#f4f5f7;color:#1f2328;font:15px/1.6 "Noto Sans CJK JP","Noto Sans JP","Yu Gothic","YuGothic","Meiryo","IPAGothic",sans-serif}
main{max-width:960px;margin:0 auto;padding:24px 28px 40px}
h1{font-size:22px;margin:0 0 16px}h1 small{font-weight:normal;color:#59636e;font-size:15px;margin-left:8px}
h2{font-size:17px;margin:28px 0 10px;padding-bottom:4px;border-bottom:2px solid #d0d7de}
.card{background:#fff;border:1px solid #d0d7de;border-radius:8px;padding:14px 18px;margin-bottom:14px}
.top{display:flex;gap:24px;flex-wrap:wrap;align-items:flex-start}.top dl{flex:1;min-width:320px}
dl{display:grid;grid-template-columns:max-content 1fr;gap:4px 16px;margin:0}dt{color:#59636e}dd{margin:0;word-break:break-all}
table{border-collapse:collapse}th,td{padding:3px 10px;text-align:right}th{font-weight:normal;color:#59636e}
.grid caption{color:#59636e;padding-bottom:2px;padding-left:4em;letter-spacing:.3em}.grid td{font-family:monospace;min-width:48px;border:1px solid #9aa4ae}.grid th[scope=row]{text-align:right}
.dim{background:#ffe0c0}.private{background:#ffffc0}.public{background:#c0ffff}.demoted{background:#d4f5d0}
.runs td,.runs th{border-bottom:1px solid #e1e4e8}
.error{border-color:#d1242f;background:#fff5f5;color:#82071e}
.warning{border-color:#bf8700;background:#fff8c5;color:#633c01}
.finding{padding:10px 14px;margin-bottom:10px}
.head{display:flex;gap:10px;flex-wrap:wrap;align-items:baseline}
.rule{padding:1px 8px;border-radius:10px;border:1px solid #9aa4ae;font-size:13px}
.en{color:#59636e;font-size:13px}.name{font-weight:bold;font-size:16px}.meta{color:#59636e;font-size:13px}
a{color:#0969da;text-decoration:none}a:hover{text-decoration:underline}.where{margin-left:auto;font-size:13px}
pre{margin:8px 0 0;padding:8px 0;background:#f6f8fa;border:1px solid #e1e4e8;border-radius:6px;overflow-x:auto;tab-size:4;
font:13px/1.5 "Noto Sans Mono CJK JP","BIZ UDGothic","MS Gothic","IPAGothic",monospace}
pre .ln{display:inline-block;width:3.5em;padding-right:12px;margin-right:10px;text-align:right;color:#8c959f;border-right:1px solid #d0d7de;user-select:none}
.none{font-size:16px}footer{margin-top:28px;color:#8c959f;font-size:12px}
)";

}  // namespace

std::string htmlReport(const ReportData& data) {
    const std::string project = files::display(data.projectFile.filename());
    std::string h;
    h += "<!DOCTYPE html>\n<html lang=\"ja\">\n<head>\n<meta charset=\"utf-8\">\n";
    h += "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n";
    h += "<title>" + escaped(project) + " の未使用宣言 — Scourvane</title>\n";
    h += "<style>" + std::string(kStyle) + "</style>\n</head>\n<body>\n<main>\n";
    h += "<h1>未使用宣言レポート<small>" + escaped(project) + "</small></h1>\n";

    h += "<div class=\"card top\">\n<dl>\n";
    h += "<dt>プロジェクト</dt><dd>" + escaped(files::display(data.projectFile)) + "</dd>\n";
    h += "<dt>作業コピー</dt><dd>" + escaped(files::display(data.workingCopy)) + "</dd>\n";
    h += "<dt>ルール</dt><dd>" + escaped(data.rules) + "</dd>\n";
    h += "<dt>検出</dt><dd>" + std::to_string(data.findings.size()) + " 件</dd>\n</dl>\n";
    if (!data.runs.empty()) {
        const RunSummary& last = data.runs.back();
        h += "<table class=\"grid\">\n<caption>";
        h += data.runs.size() > 1 ? "第 " + std::to_string(last.run) + " 回の結果" : "結果";
        h += "</caption>\n<tr><th></th><th scope=\"col\">宣言</th>"
             "<th scope=\"col\">未使用</th></tr>\n";
        for (const GridRow& row : kGrid) {
            h += "<tr><th scope=\"row\">" + std::string(row.label) + "</th>";
            for (CounterId id : {row.declared, row.unused})
                h += "<td class=\"" + std::string(row.css) + "\">" +
                     std::to_string(last.counters[indexOf(id)]) + "</td>";
            h += "</tr>\n";
        }
        h += "</table>\n";
    }
    h += "</div>\n";

    if (data.runs.size() > 1) {
        h += "<h2>実行ごとの結果</h2>\n<div class=\"card\"><table class=\"runs\">\n<tr><th>回</th>";
        for (const GridRow& row : kGrid)
            h += "<th>" + std::string(row.label) + " 宣言</th><th>" + row.label + " 未使用</th>";
        h += "<th>検出</th></tr>\n";
        for (const RunSummary& run : data.runs) {
            h += "<tr><td>" + std::to_string(run.run) + "</td>";
            for (int v : run.counters) h += "<td>" + std::to_string(v) + "</td>";
            h += "<td>" + std::to_string(run.findings) + "</td></tr>\n";
        }
        h += "</table></div>\n";
    }

    if (!data.projects.empty()) {
        h += "<h2>プロジェクトごとの結果</h2>\n<div class=\"card\"><table class=\"runs\">\n"
             "<tr><th>プロジェクト</th>";
        for (const GridRow& row : kGrid)
            h += "<th>" + std::string(row.label) + " 宣言</th><th>" + row.label + " 未使用</th>";
        h += "</tr>\n";
        for (const ReportProject& p : data.projects) {
            h += "<tr><td>" +
                 escaped(files::display(p.projectFile.lexically_relative(data.workingCopy))) +
                 "</td>";
            for (std::int64_t v : p.counters) h += "<td>" + std::to_string(v) + "</td>";
            h += "</tr>\n";
        }
        h += "</table></div>\n";
    }

    if (!data.errors.empty()) {
        h += "<h2>エラー</h2>\n";
        for (const ErrorShown& e : data.errors)
            h += "<div class=\"card error\">" + escaped(errorBoxText(e.number, e.description)) +
                 "</div>\n";
    }

    if (!data.warnings.empty()) {
        h += "<h2>注意</h2>\n";
        for (const std::string& w : data.warnings)
            h += "<div class=\"card warning\">" + escaped(w) + "</div>\n";
    }

    // Findings by project and module row: the module tables' order.
    std::map<std::pair<std::size_t, std::size_t>, std::vector<const Finding*>> byRow;
    for (const Finding& f : data.findings) byRow[{f.project, f.row}].push_back(&f);
    if (byRow.empty()) h += "<p class=\"card none\">未使用の宣言は見つかりませんでした。</p>\n";

    for (const auto& [row, findings] : byRow) {
        const Finding& first = *findings.front();
        const std::string file = relativeFile(data, first);
        std::string uri;
        try {
            uri = fileUri(copiedFile(data, first));
        } catch (...) {
            // A row that names no file of the copy: shown without a link.
        }
        h += "<h2>" + escaped(file) + " <span class=\"meta\">" + std::to_string(findings.size()) +
             " 件</span></h2>\n";
        for (const Finding* f : findings) {
            const RuleText& rule = ruleText(f->rule);
            const std::string where = file + ":" + std::to_string(f->firstLine);
            h += "<div class=\"card finding\">\n<div class=\"head\">";
            h += "<span class=\"rule " + std::string(ruleCss(f->rule)) + "\">" + rule.japanese +
                 "</span><span class=\"en\">" + rule.english + "</span>";
            h += "<span class=\"name\">" + escaped(decoded(data, f->name)) + "</span>";
            h += "<span class=\"meta\">" + std::string(kindText(f->kind)) + " · 行 " +
                 std::to_string(f->firstLine);
            if (f->lastLine > f->firstLine) h += "–" + std::to_string(f->lastLine);
            if (data.runs.size() > 1) h += " · 第 " + std::to_string(f->run) + " 回";
            h += "</span><span class=\"where\">";
            if (uri.empty())
                h += escaped(where);
            else
                h += "<a href=\"" + escaped(uri + "#L" + std::to_string(f->firstLine)) + "\">" +
                     escaped(where) + "</a>";
            h += "</span></div>\n<pre>";
            std::vector<std::string> lines = linesOf(data, *f, f->firstLine, f->lastLine);
            if (lines.empty()) lines.push_back(decoded(data, f->text));  // the copy is gone
            std::int64_t number = f->firstLine;
            for (const std::string& line : lines)
                h += "<span class=\"ln\">" + std::to_string(number++) + "</span>" + escaped(line) +
                     "\n";
            h += "</pre>\n</div>\n";
        }
    }

    h += "<footer>Scourvane " + escaped(toolVersion()) + "</footer>\n</main>\n</body>\n</html>\n";
    return h;
}

}  // namespace scourvane::report
