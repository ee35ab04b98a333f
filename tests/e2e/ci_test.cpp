// What a CI job relies on: keeps (a fixture with a keep of every kind, under both rule sets),
// the comparison with an earlier SARIF report across a declaration that moved and one that was
// renamed, and the exit statuses of --fail-on.
#include <gtest/gtest.h>

#include <regex>
#include <set>

#include "e2e/fixture_files.h"
#include "support/files.h"

namespace scourvane::testing {
namespace {

CommandResult cli(const std::string& arguments, const TempDir& tmp) {
    return runCommand(std::string(SCOURVANE_CLI_PATH) + " --quiet " + arguments, tmp);
}


TEST(Keeps, EveryKindOfKeepUnderBothRuleSets) {
    const fs::path fixture = sourceDir() / "tests/fixtures/keeps";
    for (const std::string rules : {"spec", "safe"}) {
        SCOPED_TRACE(rules);
        TempDir tmp;
        copyProject(fixture / "project", tmp / "Keeps");
        const CommandResult r = cli("--json --rules " + rules + " " + quoted(tmp / "Keeps/Keeps.vbp"), tmp);
        EXPECT_EQ(r.status, 0) << r.err;  // warnings are no errors
        EXPECT_TRUE(sameTree(fixture / ("expected-" + rules), tmp / "Keeps/New_Keeps"));
        EXPECT_EQ(jsonCounters(r.out), readCounterFile(fixture / ("expected-counters-" + rules + ".txt")));
        // The two entries that name nothing the project declares, on stderr and in the JSON.
        for (const char* entry : {"scourvane-keep.txt:4: modMain.cOtherModule: the project declares no such name",
                                  "scourvane-keep.txt:5: NoSuchName: the project declares no such name"}) {
            EXPECT_NE(r.err.find(std::string("warning: ") + tmp.path().string() + "/Keeps/" + entry),
                      std::string::npos) << r.err;
            EXPECT_NE(r.out.find(entry), std::string::npos) << r.out;
        }
        // A keep file named on the command line adds to the project's own.
        writeFile(tmp / "more.txt", "\xEF\xBB\xBFmodKeep.mUnused\r\n");
        copyProject(fixture / "project", tmp / "Again");
        const CommandResult more =
            cli("--json --rules " + rules + " --keep " + quoted(tmp / "more.txt") + " " + quoted(tmp / "Again/Keeps.vbp"), tmp);
        const CounterValues before = readCounterFile(fixture / ("expected-counters-" + rules + ".txt"));
        EXPECT_EQ(jsonCounters(more.out)["unused_private"], before.at("unused_private") - 1) << more.out;
        EXPECT_EQ(readFile(tmp / "Again/New_Again/modKeep.bas").find("|Private mUnused"), std::string::npos);
    }
}

// The results of a SARIF report, one "state rule name line" a result, after checking the
// report against the published schema when it is at hand.
std::multiset<std::string> sarifResults(const fs::path& sarif, const TempDir& tmp) {
    const fs::path schema = sourceDir() / "../shared/schemas/sarif-schema-2.1.0.json";
    writeFile(tmp / "results.py", R"(import json, sys
log = json.load(open(sys.argv[1], encoding="utf-8"))
if len(sys.argv) > 2:
    import jsonschema
    jsonschema.validate(log, json.load(open(sys.argv[2], encoding="utf-8")))
for r in log["runs"][0]["results"]:
    assert r["partialFingerprints"]["scourvaneFinding/v1"], r
    region = r["locations"][0]["physicalLocation"]["region"]
    print(r.get("baselineState", "-"), r["ruleId"], r["properties"]["name"], region["startLine"])
)");
    const CommandResult r = runCommand("python3 " + quoted(tmp / "results.py") + " " + quoted(sarif) +
                                           (fs::exists(schema) ? " " + quoted(schema) : ""),
                                       tmp);
    EXPECT_EQ(r.status, 0) << r.err;
    std::multiset<std::string> out;
    std::istringstream lines(r.out);
    for (std::string line; std::getline(lines, line);) out.insert(line);
    return out;
}

TEST(Baseline, MatchesByNameNotLineAcrossAMoveAndARename) {
    TempDir tmp;
    copyProject(sourceDir() / "examples/Sales", tmp / "Sales");
    const fs::path vbp = tmp / "Sales/Sales.vbp";
    EXPECT_EQ(cli("--report " + quoted(tmp / "before.sarif") + " " + quoted(vbp), tmp).status, 0);
    EXPECT_EQ(cli("--fail-on findings " + quoted(vbp), tmp).status, 3);
    // Against itself nothing is new: --fail-on new passes; --fail-on findings still fails.
    EXPECT_EQ(cli("--baseline " + quoted(tmp / "before.sarif") + " --fail-on new " + quoted(vbp), tmp).status, 0);

    // Two lines inserted above every declaration of clsOrder.cls (every finding there moves),
    // and the unused Public Remarks renamed.
    std::string cls = readFile(tmp / "Sales/clsOrder.cls");
    const std::size_t option = cls.find("Option Explicit\r\n");
    ASSERT_NE(option, std::string::npos);
    cls.insert(option, "' moved\r\n' down\r\n");
    const std::size_t remarks = cls.find("Public Remarks As String");
    ASSERT_NE(remarks, std::string::npos);
    cls.replace(remarks, 24, "Public Comments As String");
    writeFile(tmp / "Sales/clsOrder.cls", cls);

    const CommandResult r = cli("--json --baseline " + quoted(tmp / "before.sarif") + " --fail-on new --report " +
                                    quoted(tmp / "after.sarif") + " " + quoted(vbp),
                                tmp);
    EXPECT_EQ(r.status, 3) << r.err;
    EXPECT_NE(r.out.find("\"baseline\":{\"new\":1,\"unchanged\":"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find(",\"absent\":1}"), std::string::npos) << r.out;

    const std::multiset<std::string> before = sarifResults(tmp / "before.sarif", tmp);
    const std::multiset<std::string> after = sarifResults(tmp / "after.sarif", tmp);
    EXPECT_EQ(after.size(), before.size() + 1);  // the renamed one twice: new, and absent
    int moved = 0;
    for (const std::string& line : after) {
        std::istringstream words(line);
        std::string state, rule, name, lineNumber;
        words >> state >> rule >> name >> lineNumber;
        if (name == "Comments") EXPECT_EQ(state, "new") << line;
        if (name == "Remarks") EXPECT_EQ(state, "absent") << line;
        if (name != "Comments" && name != "Remarks") EXPECT_EQ(state, "unchanged") << line;
        // An unchanged result whose line moved was matched by name, not by line.
        moved += state == "unchanged" && !before.contains("- " + rule + " " + name + " " + lineNumber);
    }
    EXPECT_GT(moved, 0);

    // Usage errors: --fail-on new without a baseline, a baseline that is no SARIF report.
    EXPECT_EQ(cli("--fail-on new " + quoted(vbp), tmp).status, 2);
    writeFile(tmp / "bad.sarif", "{\"runs\": 3}");
    const CommandResult bad = cli("--baseline " + quoted(tmp / "bad.sarif") + " " + quoted(vbp), tmp);
    EXPECT_EQ(bad.status, 2);
    EXPECT_NE(bad.err.find("bad.sarif"), std::string::npos) << bad.err;
}

}  // namespace
}  // namespace scourvane::testing
