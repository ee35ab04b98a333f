// Adding keep entries and taking them off again, as properties over many texts: the old text
// survives byte for byte, the parsed names grow by exactly what was added, adding again adds
// nothing, and taking the additions off gives the old text back.
#include "keep/keep_file_edit.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <random>

#include "base/run_error.h"
#include "keep/keeps.h"
#include "support/files.h"

namespace scourvane::keep {
namespace {

std::vector<std::string> names(std::string_view text) {
    std::vector<std::string> out;
    for (const KeepName& k : parseKeepFile(text, "t").names) out.push_back(k.entry);
    return out;
}

TEST(KeepFileEdit, KeepsTheOldTextAndAddsOnlyWhatIsNew) {
    std::mt19937 rng(7);
    const std::vector<std::string> pieces = {
        "# 残す宣言\r\n", "modMain.Foo\r\n", "Bar  # 外部から呼ばれる\r\n", "\r\n", "clsA.Refresh\n",
        "  Indented.Name  \n", "# comment without end", "Trailing.NoEnd", "\xEF\xBB\xBF"};
    const std::vector<std::string> candidates = {"modMain.Foo", "MODMAIN.foo", "New.One",
                                                 "clsA.Refresh", "Other.Two", "Bar"};
    for (int round = 0; round < 400; ++round) {
        SCOPED_TRACE(round);
        std::string old;
        const bool exists = rng() % 5 != 0;
        if (exists)
            for (std::size_t n = rng() % 6; n > 0; --n) {
                const std::string& p = pieces[rng() % pieces.size()];
                if (p.starts_with("\xEF") && !old.empty()) continue;  // a mark only at the start
                old += p;
            }
        std::vector<std::string> entries;
        for (std::size_t n = 1 + rng() % 3; n > 0; --n)
            entries.push_back(candidates[rng() % candidates.size()]);

        const KeepEdit edit = withEntries(old, exists, entries);
        // The old text first, byte for byte (a new file starts with its comment line).
        if (exists) {
            EXPECT_EQ(edit.text.substr(0, old.size()), old);
        } else {
            EXPECT_EQ(edit.text.rfind(kKeepFileHeader, 0), 0u);
        }
        // Exactly the additions are new names, each once, and all the entries are held now.
        std::vector<std::string> expected = names(exists ? old : std::string());
        for (const std::string& a : edit.added) expected.push_back(a);
        EXPECT_EQ(names(edit.text), expected);
        EXPECT_TRUE(withEntries(edit.text, true, entries).added.empty());
        // Undone, the old text again (less a line end the addition gave its last line).
        std::string undone = withoutEntries(edit.text, edit.added);
        if (!exists) {
            EXPECT_EQ(names(undone), std::vector<std::string>{});
            continue;
        }
        if (undone.size() > old.size() && !old.empty() && old.back() != '\n') {
            EXPECT_TRUE(undone == old + "\r\n" || undone == old + "\n") << undone;
            continue;
        }
        EXPECT_EQ(undone, old);
    }
}

TEST(KeepFileEdit, TheFileBesideTheProject) {
    testing::TempDir dir;
    const fs::path file = dir / "scourvane-keep.txt";
    // Made with its comment line, in CR LF.
    EXPECT_EQ(addKeeps(dir.path(), {"modA.Foo", "modA.Foo"}), std::vector<std::string>{"modA.Foo"});
    EXPECT_EQ(testing::readFile(file), std::string(kKeepFileHeader) + "\r\nmodA.Foo\r\n");
    // An existing file keeps its bytes; undoing takes off only what was added.
    const std::string mine = "# mine\nmodB.Bar # called by name\n";
    testing::writeFile(file, mine);
    const auto added = addKeeps(dir.path(), {"modB.Bar", "modC.Baz"});
    EXPECT_EQ(added, std::vector<std::string>{"modC.Baz"});
    EXPECT_EQ(testing::readFile(file), mine + "modC.Baz\n");
    removeKeeps(dir.path(), added);
    EXPECT_EQ(testing::readFile(file), mine);
    // A file that cannot be replaced gives its error and stays as it was.
    ::chmod(file.c_str(), 0444);
    EXPECT_THROW(addKeeps(dir.path(), {"modD.Qux"}), RunError);
    ::chmod(file.c_str(), 0644);
    EXPECT_EQ(testing::readFile(file), mine);
}

}  // namespace
}  // namespace scourvane::keep
