#pragma once
// The window program's command line: the rule set, `--rules spec` or `--rules safe` (also written
// `--rules=safe`), which overrides the remembered one for this start, and at most one project
// file to take in at once, as if it had been picked in the open dialog.
#include <optional>
#include <string>
#include <vector>

#include "base/session.h"

namespace scourvane::window {

inline constexpr const char* kUsage =
    "usage: scourvane [--rules spec|safe] [PROJECT.vbp | GROUP.vbg | FOLDER]";

struct CommandLine {
    std::optional<RuleSet> rules;        // nullopt: the remembered rule set
    std::optional<std::string> project;  // UTF-8, as given
};

// What the arguments (the program's name left out, UTF-8) ask for; nullopt for anything else,
// which is a usage error. "--" ends the options, so that a project named "--x.vbp" can be given.
std::optional<CommandLine> parseCommandLine(const std::vector<std::string>& args);

}  // namespace scourvane::window
