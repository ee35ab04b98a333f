#include "window/command_line.h"

namespace scourvane::window {

std::optional<RuleSet> rulesFromArguments(const std::vector<std::string>& args) {
    RuleSet rules = RuleSet::Spec;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string value;
        if (args[i] == "--rules" && i + 1 < args.size())
            value = args[++i];
        else if (args[i].starts_with("--rules="))
            value = args[i].substr(8);
        else
            return std::nullopt;
        if (value == "safe")
            rules = RuleSet::Safe;
        else if (value == "spec")
            rules = RuleSet::Spec;
        else
            return std::nullopt;
    }
    return rules;
}

}  // namespace scourvane::window
