#pragma once
// Where the terminal front end's text meets the terminal. Text is UTF-8 throughout; a Windows
// console shows it only when handed UTF-16 (its code page is the OEM one, 437 or 850 or 932,
// whatever the program's text), so there it is written through WriteConsoleW. Pipes and files
// get the UTF-8 bytes on every system.
#include <cstdio>
#include <string_view>

namespace scourvane::cli {

// True when `f` is a terminal: on Windows a console (GetConsoleMode succeeds on its handle;
// _isatty also says yes for the NUL device), elsewhere isatty.
bool isTerminal(std::FILE* f);

// Writes `utf8` whole (a NUL byte included) and flushes.
void writeText(std::FILE* f, std::string_view utf8);

}  // namespace scourvane::cli
