#pragma once
// The window's menu, for every toolkit: its entries in order with their captions and their
// enabled and checked states. A toolkit draws the entries it is given and returns the item the
// user chose; what each item does is the presenter's.
#include <optional>
#include <string>
#include <vector>

#include "base/session.h"

namespace scourvane::window {

enum class MenuItem {
    RulesSpec,          // the rule set: as specified
    RulesSafe,          // the rule set: safe
    RepeatUntilStable,  // runs until a run finds nothing
    OpenReport,         // the findings of the runs since the intake, as HTML, in the browser
    SavePatchComment,   // the patch that comments out, through a save dialog
    SavePatchRemove,    // the patch that removes the marked lines, through a save dialog
    OpenWorkingCopy,    // the working copy's folder in the file manager
    OpenFolder,         // every project below a folder, through a folder dialog
    ActiveXCallersInRun,  // on or off: every program using the ActiveX classes is in the run
    ReviewFindings,     // the findings of the runs in a list of their own, with their code
    CodePageSystem,     // the code page of the project's files: the system's own
    CodePage932,
    CodePage1252,
    CodePage936,
    CodePage949,
    CodePage950,
    CodePage874,
    CodePage1250,
    CodePage1251,
    CodePage1253,
    CodePage1254,
    CodePage1255,
    CodePage1256,
    CodePage1257,
    CodePage1258,
};

// The code page a code page item chooses (0: the system's own), or -1 for another item.
int codePageOf(MenuItem item);

struct MenuEntry {
    enum class Kind { Heading, Item, Separator };
    Kind kind = Kind::Item;
    MenuItem item = MenuItem::RulesSpec;  // for Kind::Item
    std::string caption;                  // UTF-8; empty for a separator
    bool enabled = false;
    bool radio = false;    // one of a group of which one is checked (a group per heading)
    bool checked = false;
    bool check = false;    // a choice on or off by itself, ticked when checked
};

// What the menu's states depend on.
struct MenuState {
    RuleSet rules = RuleSet::Safe;
    bool activeXCallersInRun = false;
    int codePage = 0;          // 0: the system's own
    int systemCodePage = 932;  // the number shown beside "the system's own"
    bool projectLoaded = false;    // an intake has made a working copy
    bool runDone = false;          // a run has ended since the intake
    bool commandUnderWay = false;  // everything is disabled meanwhile
};

std::vector<MenuEntry> menuEntries(const MenuState& state);

// The entry of `item`; nullopt when the menu has none.
std::optional<MenuEntry> entryOf(const std::vector<MenuEntry>& entries, MenuItem item);

}  // namespace scourvane::window
