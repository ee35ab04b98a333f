#include "window/findings_list.h"

#include <algorithm>
#include <numeric>

#include "intake/file_ops.h"
#include "text/convert.h"
#include "text/lines.h"
#include "usage/marking.h"

namespace scourvane::window {

namespace {

std::string lowered(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    return s;
}

}  // namespace

std::string FindingRow::cell(FindingColumn column) const {
    switch (column) {
        case FindingColumn::File: return file;
        case FindingColumn::Line: return std::to_string(line);
        case FindingColumn::Kind: return kind;
        case FindingColumn::Name: return name;
        case FindingColumn::Action: return action;
        case FindingColumn::Run: return std::to_string(run);
    }
    return {};
}

void FindingsList::load(const report::ReportData& data) {
    rows_.clear();
    for (std::size_t i = 0; i < data.findings.size(); ++i) {
        const Finding& f = data.findings[i];
        FindingRow r;
        r.finding = i;
        r.file = report::relativeFile(data, f);
        r.line = f.firstLine;
        r.lastLine = f.lastLine;
        r.rule = f.rule;
        r.kind = report::ruleText(f.rule).japanese;
        r.name = report::decoded(data, f.name);
        r.action = f.rule == Rule::PublicToPrivate ? "Private にした" : "コメントにした";
        r.run = f.run;
        const std::string module = report::decoded(data, f.module);
        const std::size_t dot = module.rfind('.');
        r.keepEntry = (dot == std::string::npos ? module : module.substr(0, dot)) + "." + r.name;
        rows_.push_back(std::move(r));
    }
    arrange();
}

void FindingsList::sortBy(FindingColumn column) {
    ascending_ = sorted_ && column_ == column ? !ascending_ : true;
    column_ = column;
    sorted_ = true;
    arrange();
}

void FindingsList::setFilter(std::string text, std::optional<Rule> rule) {
    filter_ = lowered(std::move(text));
    rule_ = rule;
    arrange();
}

void FindingsList::setKept(const std::vector<std::string>& entries, bool kept) {
    for (FindingRow& r : rows_)
        for (const std::string& e : entries)
            if (lowered(e) == lowered(r.keepEntry)) r.kept = kept;
}

void FindingsList::arrange() {
    shown_.clear();
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        const FindingRow& r = rows_[i];
        if (rule_ && r.rule != *rule_) continue;
        if (!filter_.empty()) {
            bool hit = false;
            for (FindingColumn c : {FindingColumn::File, FindingColumn::Name, FindingColumn::Kind,
                                    FindingColumn::Action})
                hit = hit || lowered(r.cell(c)).find(filter_) != std::string::npos;
            if (!hit) continue;
        }
        shown_.push_back(i);
    }
    if (!sorted_) return;
    auto less = [&](std::size_t a, std::size_t b) {
        const FindingRow &x = rows_[a], &y = rows_[b];
        switch (column_) {
            case FindingColumn::Line: return x.line < y.line;
            case FindingColumn::Run: return x.run < y.run;
            default: return x.cell(column_) < y.cell(column_);
        }
    };
    std::stable_sort(shown_.begin(), shown_.end(), [&](std::size_t a, std::size_t b) {
        return ascending_ ? less(a, b) : less(b, a);
    });
}

std::vector<CodeLine> codeAround(const report::ReportData& data, const Finding& finding,
                                 int context) {
    std::vector<CodeLine> out;
    std::vector<Bytes> rows;
    try {
        rows = text::splitLines(files::readAll(report::copiedFile(data, finding)));
    } catch (...) {
        return out;
    }
    const Bytes marker = unusedMarker();
    const auto total = static_cast<std::int64_t>(rows.size());
    const std::int64_t first = std::max<std::int64_t>(1, finding.firstLine - context);
    const std::int64_t last = std::min<std::int64_t>(total, finding.lastLine + context);
    for (std::int64_t n = first; n <= last; ++n) {
        const Bytes& row = rows[static_cast<std::size_t>(n - 1)];
        out.push_back({n, report::decoded(data, row), row.starts_with(marker),
                       n >= finding.firstLine && n <= finding.lastLine});
    }
    return out;
}

}  // namespace scourvane::window
