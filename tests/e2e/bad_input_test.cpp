// Projects whose files are not what a VB6 project's files should be. No crash, every box names
// its file, nothing is written outside the working copy, no byte of a line is lost.
// docs/bad-input.md lists these beside the other bad inputs and the tests that pin each.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <random>
#include <sstream>

#include "engine/engine.h"
#include "support/files.h"
#include "support/recording_window.h"
#include "text/codepage.h"

namespace scourvane {
namespace {

using testing::readFile;
using testing::sjis;
using testing::writeFile;
using Rows = std::vector<Bytes>;

struct Outcome {
    std::vector<std::string> errors;
    Rows modules;
    std::map<std::string, std::string> copy;  // the working copy after the run
    std::array<int, kCounterCount> counters{};
};

Outcome intakeAndRun(const fs::path& projectFile, Counting counting = Counting::Indexed,
                     RuleSet rules = RuleSet::Safe) {
    testing::RecordingWindow window;
    Engine engine(window);
    engine.setCounting(counting);
    engine.setRules(rules);
    EXPECT_TRUE(engine.intake(projectFile));
    EXPECT_TRUE(engine.run());
    Outcome o{window.errors, engine.session().modules,
              testing::snapshot(engine.session().intake.workingCopy)};
    for (int i = 0; i < kCounterCount; ++i)
        o.counters[i] = engine.session().counters.get(static_cast<CounterId>(i));
    return o;
}

std::size_t countContaining(const std::vector<std::string>& errors, const std::string& part) {
    return std::count_if(errors.begin(), errors.end(),
                         [&](const auto& e) { return e.find(part) != std::string::npos; });
}

class BadInput : public ::testing::Test {
  protected:
    text::ScopedCodePage cp{932};
    testing::TempDir tmp;
    const std::string mark = sjis("'<未使用> |");

    // Everything under the temporary folder but the working copies.
    std::map<std::string, std::string> userFiles() {
        auto all = testing::snapshot(tmp.path());
        std::erase_if(all,
                      [](const auto& kv) { return kv.first.find("New_") != std::string::npos; });
        return all;
    }
};

// Binary junk, a NUL byte, invalid CP932 and a 1 MB name in one project file: each bad row gets
// a bad-file-name box at intake, under the specified rules one for each of the four passes too,
// and the good row is judged.
TEST_F(BadInput, JunkRowsOfTheProjectFileEachGiveBadNameBoxesAndTheRunGoesOn) {
    std::mt19937 random(20261207);
    std::string junk;
    for (int i = 0; i < 4096; ++i) junk += static_cast<char>(random());
    const std::string longName(1 << 20, 'x');
    const std::string project = junk + "\r\n" + std::string("Module=N; nul\0byte.bas\r\n", 24) +
                                "Class=C; \x81\x20\xFD\xFF.cls\r\nForm=" + longName +
                                ".frm\r\nModule=Util; Util.bas\r\n";
    writeFile(tmp / "P/P.vbp", project);
    writeFile(tmp / "P/P.vbw", "");
    writeFile(tmp / "P/Util.bas", "Attribute VB_Name = \"Util\"\r\nPrivate mOld As Long\r\n");
    const auto before = userFiles();

    for (RuleSet rules : {RuleSet::Spec, RuleSet::Safe}) {
        SCOPED_TRACE(ruleSetName(rules));
        // The safe rules read no missing file in the run: it is reported once, by intake.
        const std::size_t each = rules == RuleSet::Spec ? 5 : 1;
        const Outcome o = intakeAndRun(tmp / "P/P.vbp", Counting::Indexed, rules);
        ASSERT_EQ(o.modules.size(), 4u);  // the junk holds no row
        // So is the binary file of a form that is missing itself.
        const std::size_t frx = rules == RuleSet::Spec ? 1 : 0;
        EXPECT_EQ(o.errors.size(), 3 * each + frx);
        EXPECT_EQ(countContaining(o.errors, "Error 52 (ファイル名が不正です: "), 3 * each + frx);
        EXPECT_EQ(countContaining(o.errors, std::string("nul\0byte.bas)", 13)), each);
        EXPECT_EQ(countContaining(o.errors, ".cls)"), each);
        EXPECT_EQ(countContaining(o.errors, longName + ".frm)"), each);
        EXPECT_EQ(countContaining(o.errors, longName + ".frx)"), frx);
        EXPECT_EQ(o.copy.at("P.vbp"), project);
        EXPECT_EQ(o.copy.at("Util.bas"),
                  "Attribute VB_Name = \"Util\"\r\n" + mark + "Private mOld As Long\r\n");
        EXPECT_EQ(o.copy.size(), 3u);
        EXPECT_EQ(userFiles(), before);
    }
}

// Odd module files: a lead byte as the very last byte stays the last character of its line;
// empty modules of each kind stay empty and ask for no .frx; the project file listed as its own
// module is judged as one (it declares nothing), keeps the entries intake reduced and gets CRLF
// after every line as every judged module does. A second run changes nothing more.
TEST_F(BadInput, OddModuleFilesLoseNoByte) {
    writeFile(tmp / "P/P.vbp",
              "Module=Tail; Lib\\Tail.bas\nModule=Note; Note.bas\nModule=E; Empty.bas\n"
              "Class=C; Empty.cls\nForm=Empty.frm\nModule=Self; .\\P.vbp\nName=\"P\"");
    writeFile(tmp / "P/P.vbw", "");
    writeFile(tmp / "P/Lib/Tail.bas",
              "Attribute VB_Name = \"Tail\"\r\nPrivate mOld As Long\r\nPrivate mUsed As Long\r\n"
              "Sub Go()\r\n    mUsed = 1\r\nEnd Sub\r\n\x82");
    writeFile(tmp / "P/Note.bas", "Attribute VB_Name = \"Note\"\r\nPrivate mTail As Long '\x82");
    for (const char* name : {"Empty.bas", "Empty.cls", "Empty.frm"})
        writeFile(tmp / "P" / name, "");
    const auto before = userFiles();

    testing::RecordingWindow window;
    Engine engine(window);
    ASSERT_TRUE(engine.intake(tmp / "P/P.vbp"));
    // Sorted by the entries as read: ".\P.vbp" first, "Lib\Tail.bas" before Note.bas.
    EXPECT_EQ(engine.session().modules,
              (Rows{"P.vbp", "Empty.bas", "Empty.cls", "Empty.frm", "Tail.bas", "Note.bas"}));
    const std::string tail = "Attribute VB_Name = \"Tail\"\r\n" + mark +
                             "Private mOld As Long\r\nPrivate mUsed As Long\r\nSub Go()\r\n"
                             "    mUsed = 1\r\nEnd Sub\r\n\x82\r\n";
    const std::string note =
        "Attribute VB_Name = \"Note\"\r\n" + mark + "Private mTail As Long '\x82\r\n";
    const std::string project =
        "Module=Tail; Tail.bas\r\nModule=Note; Note.bas\r\nModule=E; Empty.bas\r\n"
        "Class=C; Empty.cls\r\nForm=Empty.frm\r\nModule=Self; P.vbp\r\nName=\"P\"\r\n";
    for (int run = 0; run < 2; ++run) {
        SCOPED_TRACE("run " + std::to_string(run + 1));
        ASSERT_TRUE(engine.run());
        EXPECT_TRUE(window.errors.empty()) << window.errors.front();
        const fs::path copy = tmp / "P/New_P";
        EXPECT_EQ(readFile(copy / "Tail.bas"), tail);
        EXPECT_EQ(readFile(copy / "Note.bas"), note);
        EXPECT_EQ(readFile(copy / "P.vbp"), project);
        for (const char* name : {"Empty.bas", "Empty.cls", "Empty.frm"})
            EXPECT_EQ(fs::file_size(copy / name), 0u) << name;
        EXPECT_FALSE(fs::exists(copy / "Empty.frx"));
        // Run 1 marks both; run 2 finds them marked.
        EXPECT_EQ(engine.session().counters.get(CounterId::UnusedPrivate), run == 0 ? 2 : 0);
    }
    EXPECT_EQ(userFiles(), before);
}

const char* kUtil =
    "Attribute VB_Name = \"Util\"\r\nPrivate mOld As Long\r\nPublic gShared As Long\r\n"
    "Public gNobody As Long\r\nPublic gSelf As Long\r\nPublic Sub Go()\r\n    Dim x As Long\r\n"
    "    gSelf = 2\r\nEnd Sub\r\n";
const char* kMain =
    "Attribute VB_Name = \"Main\"\r\nSub Main()\r\n    gShared = 1\r\n    Go\r\nEnd Sub\r\n";

// The second row of the same file finds its declarations judged already: the files end as with
// one row, and nothing more is found unused. (The declared counters count that row's remaining
// declarations again.)
TEST_F(BadInput, AModuleListedTwiceEndsAsIfListedOnce) {
    for (const char* folder : {"Once", "Twice"}) {
        writeFile(tmp / folder / "Util.bas", kUtil);
        writeFile(tmp / folder / "Main.bas", kMain);
        writeFile(tmp / folder / "P.vbw", "");
    }
    writeFile(tmp / "Once/P.vbp", "Module=Util; Util.bas\r\nModule=Main; Main.bas\r\n");
    writeFile(tmp / "Twice/P.vbp",
              "Module=Util; Util.bas\r\nModule=Util; Util.bas\r\nModule=Main; Main.bas\r\n");
    for (Counting counting : {Counting::Indexed, Counting::Plain}) {
        const Outcome once = intakeAndRun(tmp / "Once/P.vbp", counting);
        const Outcome twice = intakeAndRun(tmp / "Twice/P.vbp", counting);
        EXPECT_EQ(twice.modules, (Rows{"Main.bas", "Util.bas", "Util.bas"}));
        EXPECT_TRUE(twice.errors.empty()) << twice.errors.front();
        EXPECT_EQ(twice.copy.at("Util.bas"), once.copy.at("Util.bas"));
        EXPECT_EQ(twice.copy.at("Main.bas"), once.copy.at("Main.bas"));
        EXPECT_NE(once.copy.at("Util.bas").find("Private gSelf"), std::string::npos);
        for (CounterId id :
             {CounterId::UnusedDim, CounterId::UnusedPrivate, CounterId::UnusedPublic})
            EXPECT_EQ(twice.counters[indexOf(id)], once.counters[indexOf(id)]);
    }
}

// On Linux "Util.bas" and "UTIL.bas" are two files: both are copied, and each is judged exactly
// as it would be under a name of its own.
TEST_F(BadInput, NamesThatDifferOnlyInCaseAreTwoModules) {
    const std::string a =
        "Attribute VB_Name = \"A\"\r\nPrivate mA As Long\r\nPublic gFromA As Long\r\n"
        "Public Sub UseB()\r\n    gFromB = 1\r\nEnd Sub\r\n";
    const std::string b =
        "Attribute VB_Name = \"B\"\r\nPrivate mB As Long\r\nPublic gFromB As Long\r\n"
        "Public gUnusedB As Long\r\n";
    writeFile(tmp / "Case/P.vbp", "Module=B; UTIL.bas\r\nModule=A; Util.bas\r\n");
    writeFile(tmp / "Case/UTIL.bas", b);
    writeFile(tmp / "Case/Util.bas", a);
    writeFile(tmp / "Apart/P.vbp", "Module=B; B.bas\r\nModule=A; Util.bas\r\n");
    writeFile(tmp / "Apart/B.bas", b);
    writeFile(tmp / "Apart/Util.bas", a);
    for (const char* folder : {"Case", "Apart"}) writeFile(tmp / folder / "P.vbw", "");

    const Outcome same = intakeAndRun(tmp / "Case/P.vbp");
    const Outcome apart = intakeAndRun(tmp / "Apart/P.vbp");
    EXPECT_TRUE(same.errors.empty()) << same.errors.front();
    EXPECT_EQ(same.modules, (Rows{"UTIL.bas", "Util.bas"}));
    EXPECT_EQ(same.copy.at("UTIL.bas"), apart.copy.at("B.bas"));
    EXPECT_EQ(same.copy.at("Util.bas"), apart.copy.at("Util.bas"));
    // B's variable is used from A, which is judged (and marked) after it.
    EXPECT_EQ(same.copy.at("UTIL.bas"), "Attribute VB_Name = \"B\"\r\n" + mark +
                                            "Private mB As Long\r\nPublic gFromB As Long\r\n" +
                                            mark + "Public gUnusedB As Long\r\n");
    EXPECT_EQ(same.counters, apart.counters);
}

// 50 MB of 64 KB comment lines inside one procedure, declarations before and after it.
TEST_F(BadInput, AFiftyMegabyteModuleIsJudgedWhole) {
    const std::string head =
        "Attribute VB_Name = \"Big\"\r\nPrivate mOld As Long\r\nPrivate mUsed As Long\r\n"
        "Public Sub Go()\r\n    Dim unused As Long\r\n    mUsed = 1\r\n";
    const std::string line = "' " + std::string(65530, 'x') + "\r\n";
    std::string body;
    body.reserve(50u << 20);
    while (body.size() + line.size() <= (50u << 20) - head.size()) body += line;
    writeFile(tmp / "P/P.vbp", "Module=Big; Big.bas\r\nModule=Main; Main.bas\r\n");
    writeFile(tmp / "P/P.vbw", "");
    writeFile(tmp / "P/Main.bas",
              "Attribute VB_Name = \"Main\"\r\nSub Main()\r\n    Go\r\nEnd Sub\r\n");
    writeFile(tmp / "P/Big.bas", head + body + "End Sub\r\nPrivate mTail As Long\r\n");
    ASSERT_GE(fs::file_size(tmp / "P/Big.bas"), 50u * 1000 * 1000);

    testing::RecordingWindow window;
    Engine engine(window);
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(engine.intake(tmp / "P/P.vbp"));
    ASSERT_TRUE(engine.run());
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    std::printf("[ timing   ] intake and run of a %ju byte module: %.2f s\n",
                static_cast<std::uintmax_t>(fs::file_size(tmp / "P/Big.bas")), took.count());
    EXPECT_TRUE(window.errors.empty()) << window.errors.front();
    const std::string expected =
        "Attribute VB_Name = \"Big\"\r\n" + mark +
        "Private mOld As Long\r\nPrivate mUsed As Long\r\nPublic Sub Go()\r\n" + mark +
        "    Dim unused As Long\r\n    mUsed = 1\r\n" + body + "End Sub\r\n" + mark +
        "Private mTail As Long\r\n";
    // Read in one piece: a character-wise read of 50 MB is slow in a sanitized debug build.
    const fs::path copied = tmp / "P/New_P/Big.bas";
    std::string copy(fs::file_size(copied), '\0');
    std::ifstream(copied, std::ios::binary).read(copy.data(), std::ssize(copy));
    EXPECT_TRUE(copy == expected) << "the copy differs from the expected text";
    const Counters& counters = engine.session().counters;
    EXPECT_EQ(counters.get(CounterId::UnusedPrivate), 2);
    EXPECT_EQ(counters.get(CounterId::UnusedDim), 1);
    EXPECT_EQ(counters.get(CounterId::UnusedPublic), 0);
    EXPECT_LT(took.count(), 60.0);  // linear work; a quadratic step would take minutes
}

// The terminal front end writes each box as one line "Error N (description)", whole even when
// the name holds a NUL byte (a C string would end there and lose the rest and the ")").
TEST_F(BadInput, TheTerminalShowsANameWithANulByteWhole) {
    writeFile(tmp / "P/P.vbp", std::string("Module=N; nul\0byte.bas\r\n", 24));
    writeFile(tmp / "P/P.vbw", "");
    const std::string cmd = std::string(SCOURVANE_CLI_PATH) + " '" + (tmp / "P/P.vbp").string() +
                            "' >/dev/null 2>'" + (tmp / "err.txt").string() + "'";
    ASSERT_NE(std::system(cmd.c_str()), -1);
    std::istringstream err(readFile(tmp / "err.txt"));
    int errors = 0, warnings = 0;
    for (std::string l; std::getline(err, l);) {
        // The run then warns that the project lacks the file, naming it whole as well.
        if (l.rfind("scourvane-cli: warning: ", 0) == 0) {
            ++warnings;
            EXPECT_NE(l.find("byte.bas;"), std::string::npos) << l;
            continue;
        }
        ++errors;
        EXPECT_EQ(l.rfind("Error 52 (", 0), 0u) << l;
        EXPECT_NE(l.find("byte.bas)"), std::string::npos) << l;
    }
    EXPECT_EQ(errors, 1);
    EXPECT_EQ(warnings, 1);
}

}  // namespace
}  // namespace scourvane
