#pragma once
// The window program's command line: it only chooses the rule set, `--rules spec` (the default)
// or `--rules safe`, also written `--rules=safe`.
#include <optional>
#include <string>
#include <vector>

#include "base/session.h"

namespace scourvane::window {

inline constexpr const char* kUsage = "usage: scourvane [--rules spec|safe]";

// The rule set the arguments (the program's name left out, UTF-8) ask for; nullopt for anything
// else, which is a usage error.
std::optional<RuleSet> rulesFromArguments(const std::vector<std::string>& args);

}  // namespace scourvane::window
