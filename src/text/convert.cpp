#include "text/convert.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>

#include <cerrno>
#endif

#include <mutex>
#include <utility>
#include <vector>

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
    // A converter with state gives what it holds back when told the input has ended: CP1258
    // keeps each letter until it has seen whether a combining mark follows.
    auto flush = [&] {
        char* dst = buffer;
        std::size_t room = sizeof buffer;
        const std::size_t r = iconv(cd, nullptr, nullptr, &dst, &room);
        out.append(buffer, static_cast<std::size_t>(dst - buffer));
        return r != static_cast<std::size_t>(-1);
    };
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
        // What came before the bad character, then its replacement.
        flush();
        out += replacement;
        std::size_t offset = static_cast<std::size_t>(src - in.data());
        std::size_t skip = skipBy ? skipBy->charLength(in, offset) : 1;
        src += skip;
        left -= skip;
    }
    if (ok && !flush()) ok = false;
    iconv_close(cd);
    if (!ok) return std::nullopt;
    return out;
}
#endif

bool isAscii(std::string_view s) {
    for (char c : s)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

std::optional<std::string> toUtf8Converted(std::string_view bytes, const CodePage& cp, bool exact);
std::optional<std::string> fromUtf8Converted(std::string_view utf8, const CodePage& cp);

// Whether the converter gives every ASCII byte back as itself, both ways, for this code page:
// then text without other bytes needs no conversion. Asked of the converter once per page.
bool keepsAscii(const CodePage& cp) {
    static std::mutex mutex;
    static std::vector<std::pair<int, bool>> known;
    std::lock_guard<std::mutex> lock(mutex);
    for (const auto& [number, kept] : known)
        if (number == cp.number()) return kept;
    std::string ascii(128, '\0');
    for (int b = 0; b < 128; ++b) ascii[static_cast<std::size_t>(b)] = static_cast<char>(b);
    const bool kept =
        toUtf8Converted(ascii, cp, true) == ascii && fromUtf8Converted(ascii, cp) == ascii;
    known.emplace_back(cp.number(), kept);
    return kept;
}

// Not `exact`: bytes that do not convert are shown as U+FFFD (nothing only when converting
// fails as a whole).
std::optional<std::string> toUtf8Converted(std::string_view bytes, const CodePage& cp, bool exact) {
#ifdef _WIN32
    auto w = widen(bytes, static_cast<unsigned>(cp.number()), exact);
    if (!w) return std::nullopt;
    return narrow(*w, CP_UTF8, exact);
#else
    if (exact) return convert(bytes, cp.iconvName(), "UTF-8", nullptr, nullptr);
    return convert(bytes, cp.iconvName(), "UTF-8", "\xEF\xBF\xBD", &cp);
#endif
}

std::optional<std::string> fromUtf8Converted(std::string_view utf8, const CodePage& cp) {
#ifdef _WIN32
    auto w = widen(utf8, CP_UTF8, true);
    if (!w) return std::nullopt;
    return narrow(*w, static_cast<unsigned>(cp.number()), true);
#else
    return convert(utf8, "UTF-8", cp.iconvName(), nullptr, nullptr);
#endif
}

}  // namespace

// Most texts converted are module names and statuses in ASCII: those are taken as they are.
std::optional<std::string> toUtf8Exact(std::string_view bytes, const CodePage& cp) {
    if (isAscii(bytes) && keepsAscii(cp)) return std::string(bytes);
    return toUtf8Converted(bytes, cp, true);
}

std::string toUtf8(std::string_view bytes, const CodePage& cp) {
    if (isAscii(bytes) && keepsAscii(cp)) return std::string(bytes);
    return toUtf8Converted(bytes, cp, false).value_or(std::string());
}

std::optional<std::string> fromUtf8(std::string_view utf8, const CodePage& cp) {
    if (isAscii(utf8) && keepsAscii(cp)) return std::string(utf8);
    return fromUtf8Converted(utf8, cp);
}

}  // namespace scourvane::text
