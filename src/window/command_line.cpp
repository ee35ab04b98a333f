#include "window/command_line.h"

namespace scourvane::window {

std::optional<CommandLine> parseCommandLine(const std::vector<std::string>& args) {
    CommandLine line;
    bool options = true;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        std::string value;
        if (options && a == "--") {
            options = false;
            continue;
        }
        if (options && a == "--rules") {
            if (i + 1 >= args.size()) return std::nullopt;
            value = args[++i];
        } else if (options && a.starts_with("--rules=")) {
            value = a.substr(8);
        } else if ((options && a.starts_with("-")) || a.empty() || line.project) {
            return std::nullopt;
        } else {
            line.project = a;
            continue;
        }
        if (value == "safe")
            line.rules = RuleSet::Safe;
        else if (value == "spec")
            line.rules = RuleSet::Spec;
        else
            return std::nullopt;
    }
    return line;
}

}  // namespace scourvane::window
