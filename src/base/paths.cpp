#include "base/paths.h"

#include "base/run_error.h"
#include "text/convert.h"

namespace scourvane {

std::string files::display(const std::filesystem::path& p) {
#ifdef _WIN32
    auto u8 = p.u8string();
    return std::string(u8.begin(), u8.end());
#else
    return p.string();
#endif
}

std::filesystem::path workingCopyFile(const std::filesystem::path& workingCopy,
                                      const text::Bytes& row) {
    auto name = text::toUtf8Exact(row);
    const std::string shown = text::toUtf8(row);
    if (!name || name->empty() || *name == "." || *name == ".." ||
        name->find_first_of(std::string("\\/\0", 3)) != std::string::npos)
        throw RunError(err::kBadFileName,
                       "ファイル名が不正です: " + files::display(workingCopy) + "/" + shown);
    return workingCopy / *name;
}

}  // namespace scourvane
