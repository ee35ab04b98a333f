#pragma once
// What the window remembers between starts: the rule set and the folder of the last project
// opened. Kept in one small INI file in the folder each platform keeps a user's settings in,
// replaced atomically; a file that cannot be read or makes no sense gives the defaults.
#include <filesystem>
#include <string>

#include "base/session.h"

namespace scourvane::window {

struct Settings {
    RuleSet rules = RuleSet::Safe;
    std::string lastFolder;  // UTF-8, absolute; empty for none
    // The user says every program using the run's ActiveX classes is in the run.
    bool activeXCallersInRun = false;
    int codePage = 0;  // of the projects' files; 0: the system's own
    friend bool operator==(const Settings&, const Settings&) = default;
};

// Linux: $XDG_CONFIG_HOME (or ~/.config)/scourvane/settings.ini. Windows:
// %APPDATA%\Scourvane\settings.ini. Empty when the environment names no such folder.
std::filesystem::path settingsFile();
// Linux: $XDG_CACHE_HOME (or ~/.cache)/scourvane/reports. Windows:
// %LOCALAPPDATA%\Scourvane\reports. Empty when the environment names no such folder.
std::filesystem::path reportsFolder();

// The settings in `file`; the defaults when it is missing, unreadable or garbled. A value that
// is not understood gives that value's default.
Settings readSettings(const std::filesystem::path& file);
// Writes `settings` to `file` (creating its folder), atomically. False when it could not.
bool writeSettings(const std::filesystem::path& file, const Settings& settings);

// The text of a settings file, and the settings a text holds: defaults for what is missing or
// garbled.
std::string settingsText(const Settings& settings);
Settings parseSettings(const std::string& text);

}  // namespace scourvane::window
