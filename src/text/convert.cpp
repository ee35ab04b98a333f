#include "text/convert.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>

#include <cerrno>
#endif

namespace scourvane::text {

namespace {

#ifdef _WIN32
std::optional<std::wstring> widen(std::string_view s, unsigned codePage, bool exact) {
    if (s.empty()) return std::wstring();
    DWORD flags = exact ? MB_ERR_INVALID_CHARS : 0;
    int n = MultiByteToWideChar(codePage, flags, s.data(), static_cast<int>(s.size()), nullptr, 0);
    if (n <= 0) return std::nullopt;
    std::wstring w(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(codePage, flags, s.data(), static_cast<int>(s.size()), w.data(), n);
    return w;
}

std::optional<std::string> narrow(const std::wstring& w, unsigned codePage, bool exact) {
    if (w.empty()) return std::string();
    BOOL usedDefault = FALSE;
    BOOL* used = (exact && codePage != CP_UTF8) ? &usedDefault : nullptr;
    int n = WideCharToMultiByte(codePage, 0, w.data(), static_cast<int>(w.size()), nullptr, 0,
                                nullptr, used);
    if (n <= 0 || usedDefault) return std::nullopt;
    std::string s(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(codePage, 0, w.data(), static_cast<int>(w.size()), s.data(), n, nullptr,
                        nullptr);
    return s;
}
#else
// Converts with iconv; on an invalid sequence either fails or, with `replacement`, writes it
// and skips one character of the input.
std::optional<std::string> convert(std::string_view in, const char* from, const char* to,
                                   const char* replacement, const CodePage* skipBy) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
    std::string out;
    out.reserve(in.size() * 2);
    char buffer[4096];
    char* src = const_cast<char*>(in.data());
    std::size_t left = in.size();
    bool ok = true;
    while (left > 0) {
        char* dst = buffer;
        std::size_t room = sizeof buffer;
        std::size_t r = iconv(cd, &src, &left, &dst, &room);
        out.append(buffer, static_cast<std::size_t>(dst - buffer));
        if (r != static_cast<std::size_t>(-1)) continue;
        if (errno == E2BIG) continue;
        if (!replacement) {
            ok = false;
            break;
        }
        out += replacement;
        std::size_t offset = static_cast<std::size_t>(src - in.data());
        std::size_t skip = skipBy ? skipBy->charLength(in, offset) : 1;
        src += skip;
        left -= skip;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    iconv_close(cd);
    if (!ok) return std::nullopt;
    return out;
}
#endif

}  // namespace

std::optional<std::string> toUtf8Exact(std::string_view bytes, const CodePage& cp) {
#ifdef _WIN32
    auto w = widen(bytes, static_cast<unsigned>(cp.number()), true);
    if (!w) return std::nullopt;
    return narrow(*w, CP_UTF8, true);
#else
    return convert(bytes, cp.iconvName(), "UTF-8", nullptr, nullptr);
#endif
}

std::string toUtf8(std::string_view bytes, const CodePage& cp) {
#ifdef _WIN32
    auto w = widen(bytes, static_cast<unsigned>(cp.number()), false);
    return w ? narrow(*w, CP_UTF8, false).value_or(std::string()) : std::string();
#else
    return convert(bytes, cp.iconvName(), "UTF-8", "\xEF\xBF\xBD", &cp).value_or(std::string());
#endif
}

std::optional<std::string> fromUtf8(std::string_view utf8, const CodePage& cp) {
#ifdef _WIN32
    auto w = widen(utf8, CP_UTF8, true);
    if (!w) return std::nullopt;
    return narrow(*w, static_cast<unsigned>(cp.number()), true);
#else
    return convert(utf8, "UTF-8", cp.iconvName(), nullptr, nullptr);
#endif
}

}  // namespace scourvane::text
