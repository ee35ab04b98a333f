#include <csignal>
#include <cstdio>

#include "cli/cli_app.h"
#include "cli/console_window.h"

#ifdef _WIN32
#include <io.h>
#define isatty _isatty
#define fileno _fileno
#else
#include <unistd.h>
#endif

int main(int argc, char** argv) {
    std::signal(SIGINT, [](int) { scourvane::cli::requestStop(); });
    return scourvane::cli::runCli(argc, argv, stdout, stderr, isatty(fileno(stderr)) != 0);
}
