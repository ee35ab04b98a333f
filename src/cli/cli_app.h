#pragma once
// The terminal front end: scourvane-cli PROJECT.vbp [--json] [--codepage N].
#include <cstdio>

namespace scourvane::cli {

// Exit status: 0 when no error box was raised, 1 when any was, 2 for a usage error.
int runCli(int argc, const char* const* argv, std::FILE* out, std::FILE* err, bool interactive);

}  // namespace scourvane::cli
