#include "base/paths.h"

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#endif

#include "base/run_error.h"
#include "text/convert.h"
#include "text/search.h"

namespace scourvane {

#ifdef _WIN32

// MultiByteToWideChar and WideCharToMultiByte rather than std::filesystem's codecvt, which
// throws on a name that is no valid UTF-16 (an unpaired surrogate): such a name is shown with
// U+FFFD instead, and a message naming it is still written.
std::string files::display(const std::filesystem::path& p) {
    const std::wstring& w = p.native();
    if (w.empty()) return {};
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr,
                                        0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n > 0 ? n : 0), '\0');
    if (n > 0)
        ::WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), out.data(), n,
                              nullptr, nullptr);
    return out;
}

std::filesystem::path files::fromUtf8(std::string_view utf8) {
    if (utf8.empty()) return {};
    const int n =
        ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring w(static_cast<std::size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0)
        ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), w.data(), n);
    return std::filesystem::path(std::move(w));
}

#else

std::string files::display(const std::filesystem::path& p) {
    return p.string();
}

std::filesystem::path files::fromUtf8(std::string_view utf8) {
    return std::filesystem::path(std::string(utf8));
}

#endif

std::filesystem::path workingCopyFile(const std::filesystem::path& workingCopy,
                                      const text::Bytes& row) {
    auto name = text::toUtf8Exact(row);
    const std::string shown = text::toUtf8(row);
#ifdef _WIN32
    // A ":" would name a drive ("C:x.bas" lies outside the copy) or a stream of a file.
    const std::string_view separators("\\/\0:", 4);
#else
    const std::string_view separators("\\/\0", 3);
#endif
    if (!name || name->empty() || *name == "." || *name == ".." ||
        name->find_first_of(separators) != std::string::npos)
        throw RunError(err::kBadFileName,
                       "ファイル名が不正です: " + files::display(workingCopy) + "/" + shown);
    return workingCopy / files::fromUtf8(*name);
}

std::filesystem::path fileIdentity(const std::filesystem::path& p) {
    std::error_code ec;
    std::filesystem::path c = std::filesystem::weakly_canonical(p, ec);
    if (!ec) return c;
    return std::filesystem::absolute(p, ec).lexically_normal();
}

text::Bytes workingCopyKey(const text::Bytes& row) {
#ifdef _WIN32
    return text::toUpper(row);
#else
    return row;
#endif
}

}  // namespace scourvane
