// CSV for spreadsheets: UTF-8 with a byte-order mark (so that Japanese names open correctly),
// CR LF line ends, fields quoted as RFC 4180 says.
#include "report/reports.h"

namespace scourvane::report {

namespace {

std::string field(std::string_view text) {
    if (text.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(text);
    std::string out = "\"";
    for (char c : text) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + "\"";
}

}  // namespace

std::string csvReport(const ReportData& data) {
    std::string out = "\xEF\xBB\xBF";
    // A run of several projects names each finding's project in a last column.
    const bool several = !data.projects.empty();
    out += "run,rules,row,file,rule,rule_ja,name,kind,first_line,last_line,declaration";
    out += several ? ",project\r\n" : "\r\n";
    for (const Finding& f : data.findings) {
        const std::string cells[] = {std::to_string(f.run),
                                     data.rules,
                                     std::to_string(f.row + 1),
                                     relativeFile(data, f),
                                     std::string(ruleId(f.rule)),
                                     ruleText(f.rule).japanese,
                                     decoded(data, f.name),
                                     std::string(kindName(f.kind)),
                                     std::to_string(f.firstLine),
                                     std::to_string(f.lastLine),
                                     decoded(data, f.text),
                                     projectOf(data, f)};
        bool first = true;
        for (const std::string& c : cells) {
            if (!several && &c == &cells[std::size(cells) - 1]) break;
            if (!first) out += ',';
            first = false;
            out += field(c);
        }
        out += "\r\n";
    }
    return out;
}

}  // namespace scourvane::report
