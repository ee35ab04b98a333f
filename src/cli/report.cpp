#include "cli/report.h"

#include <cstdio>

#include "base/paths.h"
#include "intake/file_ops.h"
#include "report/json.h"
#include "engine/run_results.h"

namespace scourvane::cli {

using report::jsonString;

namespace {

// The window's grid: a column of declared and one of unused, a row per kind.
std::string grid(const std::array<std::int64_t, kCounterCount>& c) {
    std::string out = "結 果        宣言  未使用\n";
    auto row = [&](const char* title, CounterId declared, CounterId unused) {
        char line[96];
        std::snprintf(line, sizeof line, "%-8s %10lld %7lld\n", title,
                      static_cast<long long>(c[indexOf(declared)]),
                      static_cast<long long>(c[indexOf(unused)]));
        out += line;
    };
    row("Dim", CounterId::Dim, CounterId::UnusedDim);
    row("Private", CounterId::Private, CounterId::UnusedPrivate);
    row("Public", CounterId::Public, CounterId::UnusedPublic);
    return out;
}

}  // namespace

std::string counterGrid(const Counters& c) {
    std::array<std::int64_t, kCounterCount> values{};
    for (int i = 0; i < kCounterCount; ++i) values[i] = c.get(static_cast<CounterId>(i));
    return grid(values);
}

std::string projectGrids(const report::ReportData& data) {
    std::string out;
    for (const report::ReportProject& p : data.projects)
        out += files::display(p.projectFile.lexically_relative(data.workingCopy)) + "\n" +
               grid(p.counters) + "\n";
    if (!out.empty()) out += "合計 (" + std::to_string(data.projects.size()) + " ﾌﾟﾛｼﾞｪｸﾄ)\n";
    return out;
}

std::string projectsJson(const report::ReportData& data) {
    if (data.projects.empty()) return {};
    std::string out = "[";
    for (std::size_t i = 0; i < data.projects.size(); ++i) {
        if (i) out += ",";
        out += "{\"project_file\":" + jsonString(files::display(data.projects[i].projectFile)) +
               ",\"working_copy\":" + jsonString(files::display(data.projects[i].workingCopy)) +
               ",\"counters\":" + report::countersJson(data.projects[i].counters) +
               ",\"modules\":[";
        for (std::size_t m = 0; m < data.projects[i].modules.size(); ++m) {
            if (m) out += ",";
            out += jsonString(report::decoded(data, data.projects[i].modules[m]));
        }
        out += "]}";
    }
    return out + "]";
}

std::string jsonReport(const std::string& workingCopy, const std::vector<std::string>& modules,
                       const Counters& c, const std::vector<ErrorRecord>& errors,
                       const std::vector<report::RunSummary>& runs, const std::string& rules,
                       const JsonExtras& extras, const std::string& projects) {
    std::string out = "{\"working_copy\":" + jsonString(workingCopy) + ",\"modules\":[";
    for (std::size_t i = 0; i < modules.size(); ++i) {
        if (i) out += ",";
        out += jsonString(modules[i]);
    }
    std::array<std::int32_t, kCounterCount> values{};
    for (int i = 0; i < kCounterCount; ++i) values[i] = c.get(static_cast<CounterId>(i));
    out += "],\"counters\":" + report::countersJson(values) + ",\"rules\":" + jsonString(rules) +
           ",\"runs\":" + report::runsJson(runs);
    if (!projects.empty()) out += ",\"projects\":" + projects;
    out += ",\"warnings\":[";
    for (std::size_t i = 0; i < extras.warnings.size(); ++i) {
        // Appended one by one: MinGW's GCC 12 warns (-Wrestrict) on a literal added to a string.
        if (i) out += ",";
        out += jsonString(extras.warnings[i]);
    }
    out += "]";
    if (extras.baseline)
        out += ",\"baseline\":{\"new\":" + std::to_string(extras.baseline->newCount) +
               ",\"unchanged\":" + std::to_string(extras.baseline->unchangedCount) +
               ",\"absent\":" + std::to_string(extras.baseline->absent.size()) + "}";
    if (extras.patch)
        out += ",\"patch\":{\"file\":" + jsonString(files::display(extras.patch->file)) +
               ",\"root\":" + jsonString(files::display(extras.patch->root)) +
               ",\"files\":" + std::to_string(extras.patch->files) + "}";
    out += ",\"errors\":[";
    for (std::size_t i = 0; i < errors.size(); ++i) {
        if (i) out += ",";
        out += "{\"number\":" + std::to_string(errors[i].number) +
               ",\"description\":" + jsonString(errors[i].description) + "}";
    }
    return out + "]}\n";
}

PatchWritten writePatch(const Session& session, const std::filesystem::path& file,
                        report::PatchMode mode) {
    const report::Patch patch = patchOf(session, mode);
    files::writeAll(file, patch.text);
    return {file, patch.root, patch.files};
}

}  // namespace scourvane::cli
