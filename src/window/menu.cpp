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
    // One of the code pages, a radio group of its own.
    auto page = [&](MenuItem id, const std::string& caption) {
        MenuEntry e = item(id, "", idle);
        e.caption = caption;
        e.radio = true;
        e.checked = s.codePage == codePageOf(id);
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
        item(MenuItem::ReviewFindings, kMenuReview, afterRun),
        item(MenuItem::OpenReport, kMenuReport, afterRun),
        item(MenuItem::SavePatchComment, kMenuPatchComment, afterRun),
        item(MenuItem::SavePatchRemove, kMenuPatchRemove, afterRun),
        item(MenuItem::OpenWorkingCopy, kMenuWorkingCopy, afterRun),
        separator,
        [&] {
            MenuEntry h = heading;
            h.caption = kMenuCodePageHeading;
            return h;
        }(),
        page(MenuItem::CodePageSystem, kMenuCodePageSystem + std::string(" (") +
                                           std::to_string(s.systemCodePage) + ")"),
        page(MenuItem::CodePage932, "932 (日本語)"),
        page(MenuItem::CodePage1252, "1252 (西欧)"),
        page(MenuItem::CodePage936, "936 (簡体字中国語)"),
        page(MenuItem::CodePage949, "949 (韓国語)"),
        page(MenuItem::CodePage950, "950 (繁体字中国語)"),
        page(MenuItem::CodePage874, "874 (タイ語)"),
        page(MenuItem::CodePage1250, "1250 (中欧)"),
        page(MenuItem::CodePage1251, "1251 (キリル文字)"),
        page(MenuItem::CodePage1253, "1253 (ギリシャ語)"),
        page(MenuItem::CodePage1254, "1254 (トルコ語)"),
        page(MenuItem::CodePage1255, "1255 (ヘブライ語)"),
        page(MenuItem::CodePage1256, "1256 (アラビア語)"),
        page(MenuItem::CodePage1257, "1257 (バルト)"),
        page(MenuItem::CodePage1258, "1258 (ベトナム語)"),
    };
}

int codePageOf(MenuItem item) {
    switch (item) {
        case MenuItem::CodePageSystem: return 0;
        case MenuItem::CodePage932: return 932;
        case MenuItem::CodePage1252: return 1252;
        case MenuItem::CodePage936: return 936;
        case MenuItem::CodePage949: return 949;
        case MenuItem::CodePage950: return 950;
        case MenuItem::CodePage874: return 874;
        case MenuItem::CodePage1250: return 1250;
        case MenuItem::CodePage1251: return 1251;
        case MenuItem::CodePage1253: return 1253;
        case MenuItem::CodePage1254: return 1254;
        case MenuItem::CodePage1255: return 1255;
        case MenuItem::CodePage1256: return 1256;
        case MenuItem::CodePage1257: return 1257;
        case MenuItem::CodePage1258: return 1258;
        default: return -1;
    }
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
