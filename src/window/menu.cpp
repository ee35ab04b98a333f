#include "window/menu.h"

#include "window/texts.h"

namespace scourvane::window {

std::vector<MenuEntry> menuEntries(const MenuState& s) {
    using Kind = MenuEntry::Kind;
    const bool idle = !s.commandUnderWay;
    const bool afterRun = idle && s.projectLoaded && s.runDone;
    auto item = [](MenuItem id, const char* caption, bool enabled) {
        MenuEntry e;
        e.item = id;
        e.caption = caption;
        e.enabled = enabled;
        return e;
    };
    auto rule = [&](MenuItem id, const char* caption, RuleSet rules) {
        MenuEntry e = item(id, caption, idle);
        e.radio = true;
        e.checked = s.rules == rules;
        return e;
    };
    MenuEntry heading;
    heading.kind = Kind::Heading;
    heading.caption = kMenuRulesHeading;
    MenuEntry separator;
    separator.kind = Kind::Separator;
    return {
        heading,
        rule(MenuItem::RulesSpec, kMenuRulesSpec, RuleSet::Spec),
        rule(MenuItem::RulesSafe, kMenuRulesSafe, RuleSet::Safe),
        [&] {
            MenuEntry e = item(MenuItem::ActiveXCallersInRun, kMenuActiveXCallers, idle);
            e.check = true;
            e.checked = s.activeXCallersInRun;
            return e;
        }(),
        separator,
        item(MenuItem::OpenFolder, kMenuOpenFolder, idle),
        item(MenuItem::RepeatUntilStable, kMenuRepeat, idle && s.projectLoaded),
        separator,
        item(MenuItem::OpenReport, kMenuReport, afterRun),
        item(MenuItem::SavePatchComment, kMenuPatchComment, afterRun),
        item(MenuItem::SavePatchRemove, kMenuPatchRemove, afterRun),
        item(MenuItem::OpenWorkingCopy, kMenuWorkingCopy, afterRun),
    };
}

std::optional<MenuEntry> entryOf(const std::vector<MenuEntry>& entries, MenuItem item) {
    for (const MenuEntry& e : entries)
        if (e.kind == MenuEntry::Kind::Item && e.item == item) return e;
    return std::nullopt;
}

}  // namespace scourvane::window

namespace scourvane::window {

std::string patchSavedText(const std::string& file, const std::string& root, int modules,
                           const std::vector<std::string>& warnings) {
    std::string warned;
    if (!warnings.empty()) {
        warned = "注意: このパッチが変更するモジュールは他のﾌﾟﾛｼﾞｪｸﾄにも含まれます。"
                 "そのﾌﾟﾛｼﾞｪｸﾄが使う Public 宣言を壊すおそれがあります。ｸﾞﾙｰﾌﾟ (.vbg) か"
                 "フォルダーで実行すると、すべてのﾌﾟﾛｼﾞｪｸﾄについて判定します。\n";
        for (const std::string& w : warnings) warned += "・" + w + "\n";
        warned += "\n";
    }
    return warned + "パッチを保存しました (モジュール " + std::to_string(modules) + " 個):\n" + file +
           "\n\n次のフォルダで適用します:\n" + root + "\n\ngit apply \"" + file +
           "\"\n(または patch -p1 --binary < \"" + file + "\")";
}

}  // namespace scourvane::window
