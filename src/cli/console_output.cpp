#include "cli/console_output.h"

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <io.h>
#include <windows.h>

#include <string>
#else
#include <unistd.h>
#endif

namespace scourvane::cli {

#ifdef _WIN32

namespace {

// The console behind `f`, or nullptr when it is a pipe, a file or a device.
HANDLE consoleOf(std::FILE* f) {
    const int fd = _fileno(f);
    if (fd < 0) return nullptr;
    const HANDLE h = reinterpret_cast<HANDLE>(_get_osfhandle(fd));
    DWORD mode = 0;
    if (h == INVALID_HANDLE_VALUE || !::GetConsoleMode(h, &mode)) return nullptr;
    // The status line redraws itself with "\r\033[K"; a console understands that once asked to.
    if (!(mode & ENABLE_VIRTUAL_TERMINAL_PROCESSING))
        ::SetConsoleMode(h, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING);
    return h;
}

}  // namespace

bool isTerminal(std::FILE* f) {
    return consoleOf(f) != nullptr;
}

void writeText(std::FILE* f, std::string_view utf8) {
    const HANDLE console = consoleOf(f);
    if (!console) {
        std::fwrite(utf8.data(), 1, utf8.size(), f);
        std::fflush(f);
        return;
    }
    std::fflush(f);  // whatever the C library holds goes first
    if (utf8.empty()) return;
    const int n =
        ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    if (n <= 0) return;
    std::wstring w(static_cast<std::size_t>(n), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), w.data(), n);
    // A console takes a limited amount per call; write until all of it is out.
    const wchar_t* at = w.data();
    std::size_t left = w.size();
    while (left > 0) {
        DWORD written = 0;
        DWORD chunk = static_cast<DWORD>(left < 8192 ? left : 8192);
        if (chunk < left && at[chunk - 1] >= 0xD800 && at[chunk - 1] <= 0xDBFF) --chunk;
        if (!::WriteConsoleW(console, at, chunk, &written, nullptr) || written == 0) return;
        at += written;
        left -= written;
    }
}

#else

bool isTerminal(std::FILE* f) {
    return ::isatty(fileno(f)) != 0;
}

void writeText(std::FILE* f, std::string_view utf8) {
    std::fwrite(utf8.data(), 1, utf8.size(), f);
    std::fflush(f);
}

#endif

}  // namespace scourvane::cli
