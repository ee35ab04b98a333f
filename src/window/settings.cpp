#include "window/settings.h"

#include <cstdlib>
#include <system_error>

#include "base/run_error.h"
#include "intake/file_ops.h"

namespace scourvane::window {

namespace fs = std::filesystem;

namespace {

constexpr const char* kSection = "[scourvane]";

// A folder from the environment, when it is set and absolute.
fs::path fromEnvironment(const char* name) {
#ifdef _WIN32
    const std::wstring wide(name, name + std::char_traits<char>::length(name));
    const wchar_t* value = _wgetenv(wide.c_str());
    if (!value || !*value) return {};
    fs::path p(value);
#else
    const char* value = std::getenv(name);
    if (!value || !*value) return {};
    fs::path p(value);
#endif
    return p.is_absolute() ? p : fs::path();
}

// The user's folder for one kind of file: the platform's variable, or on Linux the home
// folder's default under it.
fs::path userFolder([[maybe_unused]] const char* xdgVariable, [[maybe_unused]] const char* xdgDefault,
                    [[maybe_unused]] const char* windowsVariable) {
#ifdef _WIN32
    const fs::path base = fromEnvironment(windowsVariable);
    return base.empty() ? base : base / "Scourvane";
#else
    fs::path base = fromEnvironment(xdgVariable);
    if (base.empty()) {
        const fs::path home = fromEnvironment("HOME");
        if (home.empty()) return {};
        base = home / xdgDefault;
    }
    return base / "scourvane";
#endif
}

std::string trimmed(const std::string& s) {
    const auto first = s.find_first_not_of(" \t\r");
    if (first == std::string::npos) return {};
    const auto last = s.find_last_not_of(" \t\r");
    return s.substr(first, last - first + 1);
}

// A value a settings line may hold: no control characters (a file of other bytes is garbled).
bool plainText(const std::string& s) {
    for (unsigned char c : s)
        if (c < 0x20 || c == 0x7F) return false;
    return true;
}

}  // namespace

fs::path settingsFile() {
    const fs::path folder = userFolder("XDG_CONFIG_HOME", ".config", "APPDATA");
    return folder.empty() ? folder : folder / "settings.ini";
}

fs::path reportsFolder() {
    const fs::path folder = userFolder("XDG_CACHE_HOME", ".cache", "LOCALAPPDATA");
    return folder.empty() ? folder : folder / "reports";
}

std::string settingsText(const Settings& s) {
    return std::string(kSection) + "\nrules=" + ruleSetName(s.rules) +
           "\nlast_folder=" + s.lastFolder + "\n" +
           (s.activeXCallersInRun ? "activex_callers_in_run=1\n" : "") +
           (s.codePage ? "codepage=" + std::to_string(s.codePage) + "\n" : "");
}

Settings parseSettings(const std::string& text) {
    Settings s;
    std::size_t at = 0;
    bool inSection = false;
    while (at < text.size()) {
        std::size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        const std::string line = trimmed(text.substr(at, end - at));
        at = end + 1;
        if (line.empty() || line[0] == ';' || line[0] == '#') continue;
        if (line[0] == '[') {
            inSection = line == kSection;
            continue;
        }
        const auto equals = line.find('=');
        if (!inSection || equals == std::string::npos) continue;
        const std::string key = trimmed(line.substr(0, equals));
        const std::string value = trimmed(line.substr(equals + 1));
        if (!plainText(value)) continue;
        if (key == "rules") {
            if (value == "safe") s.rules = RuleSet::Safe;
            if (value == "spec") s.rules = RuleSet::Spec;
        } else if (key == "codepage") {
            for (int known : text::CodePage::known())
                if (value == std::to_string(known)) s.codePage = known;
        } else if (key == "activex_callers_in_run") {
            s.activeXCallersInRun = value == "1";
        } else if (key == "last_folder") {
            s.lastFolder = files::fromUtf8(value).is_absolute() ? value : std::string();
        }
    }
    return s;
}

Settings readSettings(const fs::path& file) {
    if (file.empty()) return {};
    std::error_code ec;
    if (!fs::is_regular_file(file, ec)) return {};
    try {
        const std::string text = files::readAll(file);
        // A file holding NUL bytes is not text at all.
        if (text.find('\0') != std::string::npos) return {};
        return parseSettings(text);
    } catch (const RunError&) {
        return {};
    }
}

bool writeSettings(const fs::path& file, const Settings& settings) {
    if (file.empty()) return false;
    std::error_code ec;
    fs::create_directories(file.parent_path(), ec);
    try {
        files::writeAll(file, settingsText(settings));
        return true;
    } catch (const RunError&) {
        return false;
    }
}

}  // namespace scourvane::window
