#include "report/reports.h"

#include <algorithm>
#include <cctype>
#include <system_error>

#ifndef _WIN32
#include <unistd.h>
#endif

#include "base/paths.h"
#include "intake/file_ops.h"

namespace scourvane::report {

std::optional<Format> formatOf(const fs::path& file) {
    std::string ext = files::display(file.extension());
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (ext == ".sarif") return Format::Sarif;
    if (ext == ".csv") return Format::Csv;
    if (ext == ".html" || ext == ".htm") return Format::Html;
    return std::nullopt;
}

namespace {

// Whether `inner` is `outer` or lies inside it, links and ".." resolved as far as they exist.
bool inside(const fs::path& inner, const fs::path& outer) {
    std::error_code ec;
    const fs::path a = fs::weakly_canonical(fs::absolute(inner, ec), ec);
    const fs::path b = fs::weakly_canonical(fs::absolute(outer, ec), ec);
    auto i = a.begin();
    for (auto j = b.begin(); j != b.end(); ++j, ++i) {
        if (j->empty() && std::next(j) == b.end()) break;  // a trailing separator
        if (i == a.end() || *i != *j) return false;
    }
    return true;
}

}  // namespace

std::string reportPathProblem(const fs::path& file, const fs::path& workingCopy) {
    if (!formatOf(file)) return "unknown report format (the name must end in .sarif, .csv or .html)";
    return outputPathProblem(file, workingCopy);
}

std::string outputPathProblem(const fs::path& file, const fs::path& workingCopy) {
    if (!workingCopy.empty() && inside(file, workingCopy))
        return "lies inside the working copy, which holds the project's files only";
    std::error_code ec;
    if (fs::is_directory(file, ec)) return "is a folder";
    const fs::path folder = file.has_parent_path() ? file.parent_path() : fs::path(".");
    if (!fs::is_directory(folder, ec)) return "its folder does not exist";
#ifndef _WIN32
    if (::access(folder.c_str(), W_OK | X_OK) != 0) return "its folder cannot be written";
#endif
    return "";
}

void writeReport(const fs::path& file, const ReportData& data) {
    switch (*formatOf(file)) {
        case Format::Sarif:
            files::writeAll(file, sarifReport(data));
            break;
        case Format::Csv:
            files::writeAll(file, csvReport(data));
            break;
        case Format::Html:
            files::writeAll(file, htmlReport(data));
            break;
    }
}

}  // namespace scourvane::report
