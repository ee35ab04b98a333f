#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

#include "cli/cli_app.h"
#include "cli/console_output.h"
#include "cli/console_window.h"

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#endif

namespace {

int start(int argc, const char* const* argv) {
    std::signal(SIGINT, [](int) { scourvane::cli::requestStop(); });
    return scourvane::cli::runCli(argc, argv, stdout, stderr, scourvane::cli::isTerminal(stderr));
}

}  // namespace

#ifdef _WIN32

// Windows hands the command line over as UTF-16 (linked with -municode); main's char
// arguments would come in the ANSI code page, with every character it lacks made "?". The
// front end takes UTF-8, as on Linux.
int wmain(int argc, wchar_t** wargv) {
    std::vector<std::string> args;
    for (int i = 0; i < argc; ++i) {
        const std::wstring_view w(wargv[i]);
        const int n = ::WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()),
                                            nullptr, 0, nullptr, nullptr);
        std::string a(static_cast<std::size_t>(n > 0 ? n : 0), '\0');
        if (n > 0)
            ::WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), a.data(), n,
                                  nullptr, nullptr);
        args.push_back(std::move(a));
    }
    std::vector<const char*> argv;
    for (const std::string& a : args) argv.push_back(a.c_str());
    argv.push_back(nullptr);
    return start(argc, argv.data());
}

#else

int main(int argc, char** argv) {
    return start(argc, argv);
}

#endif
