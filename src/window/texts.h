#pragma once
// Texts of the window that neither the engine nor a control's caption gives, in UTF-8.
#include <string>

#include "base/session.h"

namespace scourvane::window {

inline constexpr const char* kCaption = "Scourvane";
inline constexpr const char* kSafeRulesSuffix = " (安全ルール)";
inline constexpr const char* kOpenDialogTitle = "ﾌｧｲﾙを開く";
// The open dialog's one filter: its description and its pattern.
inline constexpr const char* kProjectFilterName = "ﾌﾟﾛｼﾞｪｸﾄﾌｧｲﾙ (vbp)";
inline constexpr const char* kProjectFilterPattern = "*.vbp";

// The window's title for the rule set in force: the safe rules say so.
inline std::string windowTitle(RuleSet rules) {
    return rules == RuleSet::Safe ? std::string(kCaption) + kSafeRulesSuffix : kCaption;
}

}  // namespace scourvane::window
