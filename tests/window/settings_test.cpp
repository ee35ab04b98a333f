// The settings the window remembers: where each platform keeps them, written and read back,
// and the defaults for a file that is missing, unreadable or garbled.
#include "window/settings.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <optional>

#include "base/paths.h"
#include "support/files.h"
#include "support/scoped_env.h"

namespace scourvane::window {
namespace {

namespace fs = std::filesystem;

using testing::ScopedEnv;

TEST(WindowSettings, KeptInTheUsersConfigAndCacheFoldersAsTheEnvironmentNamesThem) {
    const testing::TempDir dir;
    {
        const ScopedEnv config("XDG_CONFIG_HOME", (dir / "cfg").string());
        const ScopedEnv cache("XDG_CACHE_HOME", (dir / "cch").string());
        EXPECT_EQ(settingsFile(), dir / "cfg" / "scourvane" / "settings.ini");
        EXPECT_EQ(reportsFolder(), dir / "cch" / "scourvane" / "reports");
    }
    {
        // Unset, or not absolute: under the home folder.
        const ScopedEnv config("XDG_CONFIG_HOME", std::nullopt);
        const ScopedEnv cache("XDG_CACHE_HOME", std::string("relative"));
        const ScopedEnv home("HOME", (dir / "home").string());
        EXPECT_EQ(settingsFile(), dir / "home" / ".config" / "scourvane" / "settings.ini");
        EXPECT_EQ(reportsFolder(), dir / "home" / ".cache" / "scourvane" / "reports");
    }
    {
        const ScopedEnv config("XDG_CONFIG_HOME", std::nullopt);
        const ScopedEnv home("HOME", std::nullopt);
        EXPECT_EQ(settingsFile(), fs::path());
        EXPECT_EQ(readSettings(settingsFile()), Settings{});
        EXPECT_FALSE(writeSettings(settingsFile(), Settings{}));
    }
}

TEST(WindowSettings, WrittenWholeAndReadBack) {
    const testing::TempDir dir;
    const fs::path file = dir / "new" / "scourvane" / "settings.ini";
    EXPECT_EQ(readSettings(file), Settings{});  // none yet
    const Settings safe{RuleSet::Safe, files::display(dir / "作業 フォルダ" / "Sales")};
    ASSERT_TRUE(writeSettings(file, safe));
    EXPECT_EQ(readSettings(file), safe);
    const Settings spec{RuleSet::Spec, ""};
    ASSERT_TRUE(writeSettings(file, spec));
    EXPECT_EQ(readSettings(file), spec);
    // Replaced, not appended to, and no temporary file left beside it.
    EXPECT_EQ(testing::readFile(file), "[scourvane]\nrules=spec\nlast_folder=\n");
    int entries = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(file.parent_path())) ++entries;
    EXPECT_EQ(entries, 1);
    // A file that cannot be replaced is reported as such.
    EXPECT_FALSE(writeSettings(dir / "new", safe));
}

TEST(WindowSettings, UnreadableOrGarbledFilesGiveTheDefaults) {
    const testing::TempDir dir;
    const fs::path file = dir / "settings.ini";
    auto read = [&](const std::string& text) {
        std::ofstream(file, std::ios::binary) << text;
        return readSettings(file);
    };
    const Settings defaults;
    EXPECT_EQ(defaults.rules, RuleSet::Safe);
    EXPECT_EQ(read(""), defaults);
    EXPECT_EQ(read(std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16)), defaults);
    EXPECT_EQ(read(std::string("[scourvane]\nrules=spec\0\n", 25)), defaults);
    EXPECT_EQ(read("rules=spec\nlast_folder=/w\n"), defaults);  // outside its section
    EXPECT_EQ(read("[other]\nrules=spec\n"), defaults);
    // A value not understood gives that value's default; the others are kept.
    EXPECT_EQ(read("[scourvane]\nrules=loose\nlast_folder=/w/Sales\n"),
              (Settings{RuleSet::Safe, "/w/Sales"}));
    EXPECT_EQ(read("[scourvane]\nrules=spec\nlast_folder=relative/Sales\n"),
              (Settings{RuleSet::Spec, ""}));
    EXPECT_EQ(read("[scourvane]\r\n rules = spec \r\nlast_folder=/a\tb\r\n"),
              (Settings{RuleSet::Spec, ""}));
    // Comments, blank lines, other sections and unknown keys are passed over.
    EXPECT_EQ(read("; kept by scourvane\n\n[scourvane]\ncolour=blue\nrules=spec\n[x]\nrules=safe\n"),
              (Settings{RuleSet::Spec, ""}));
    // A folder in the file's place, or a file that cannot be read.
    fs::remove(file);
    fs::create_directory(file);
    EXPECT_EQ(readSettings(file), defaults);
    fs::remove(file);
    std::ofstream(file) << "[scourvane]\nrules=spec\n";
    fs::permissions(file, fs::perms::none);
    if (!std::ifstream(file)) {  // unless run as root
        EXPECT_EQ(readSettings(file), defaults);
    }
}

}  // namespace
}  // namespace scourvane::window
