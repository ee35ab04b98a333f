// The terminal front end, run as a user runs it, on a fresh copy of the sample project.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "e2e/fixture_files.h"
#include "support/files.h"

#ifndef _WIN32
#include <sys/wait.h>
#endif

namespace scourvane::testing {
namespace {

struct Outcome {
    std::string out;
    int exitStatus = -1;
};

Outcome runCli(const std::string& arguments, const fs::path& errFile) {
    const std::string command = "\"" + std::string(SCOURVANE_CLI_PATH) + "\" " + arguments +
                                " 2>\"" + errFile.string() + "\"";
#ifdef _WIN32
    FILE* pipe = _popen(command.c_str(), "r");
#else
    FILE* pipe = popen(command.c_str(), "r");
#endif
    Outcome result;
    if (!pipe) return result;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        result.out.append(buffer, n);
#ifdef _WIN32
    result.exitStatus = _pclose(pipe);
#else
    int status = pclose(pipe);
    result.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
    return result;
}

// The value of a string member, assuming only \" and \\ escapes (what a path can need).
std::string jsonString(const std::string& json, const std::string& key) {
    const std::string start = "\"" + key + "\":\"";
    std::size_t at = json.find(start);
    if (at == std::string::npos) return "<no " + key + ">";
    std::string value;
    for (std::size_t i = at + start.size(); i < json.size() && json[i] != '"'; ++i) {
        if (json[i] == '\\' && i + 1 < json.size()) ++i;
        value += json[i];
    }
    return value;
}

// The members of the "counters" object.
CounterValues jsonCounters(const std::string& json) {
    CounterValues values;
    std::size_t at = json.find("\"counters\":{");
    if (at == std::string::npos) return values;
    std::size_t end = json.find('}', at);
    std::size_t i = at + 12;
    while (i < end) {
        std::size_t q1 = json.find('"', i), q2 = json.find('"', q1 + 1);
        if (q1 >= end || q2 >= end) break;
        std::size_t colon = json.find(':', q2);
        values[json.substr(q1 + 1, q2 - q1 - 1)] = std::stol(json.substr(colon + 1));
        i = json.find_first_of(",}", colon);
        if (i == std::string::npos) break;
        ++i;
    }
    return values;
}

// Without --rules the safe rules judge. The sample holds none of the shapes on which the two
// rule sets part, so its hand-derived copy is the one either gives.
TEST(E2eCli, JsonRunOnTheSampleProject) {
    TempDir tmp;
    copyProject(sourceDir() / "examples/Sales", tmp / "Sales");
    const fs::path project = tmp / "Sales" / "Sales.vbp";

    const Outcome r = runCli("--json \"" + project.string() + "\"", tmp / "stderr.txt");
    const std::string err = readFile(tmp / "stderr.txt");
    EXPECT_EQ(r.exitStatus, 0) << "stderr: " << err;
    EXPECT_EQ(err, "");

    EXPECT_EQ(jsonString(r.out, "working_copy"), (tmp / "Sales" / "New_Sales").string()) << r.out;
    EXPECT_NE(r.out.find("\"modules\":[\"clsOrder.cls\",\"frmMain.frm\",\"modUtil.bas\"]"),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("\"errors\":[]"), std::string::npos) << r.out;
    EXPECT_EQ(jsonString(r.out, "rules"), "safe");
    EXPECT_EQ(jsonCounters(r.out),
              readCounterFile(sourceDir() / "tests/fixtures/sales/expected-counters.txt"))
        << r.out;
    EXPECT_TRUE(
        sameTree(sourceDir() / "tests/fixtures/sales/expected", tmp / "Sales" / "New_Sales"));

    // A second run on the same project copies it afresh over the marked copy: the same bytes,
    // under the specified rules too.
    const Outcome again =
        runCli("--json --rules spec \"" + project.string() + "\"", tmp / "stderr.txt");
    EXPECT_EQ(again.exitStatus, 0) << readFile(tmp / "stderr.txt");
    EXPECT_EQ(jsonString(again.out, "rules"), "spec");
    EXPECT_EQ(jsonCounters(again.out), jsonCounters(r.out));
    EXPECT_TRUE(
        sameTree(sourceDir() / "tests/fixtures/sales/expected", tmp / "Sales" / "New_Sales"));
}

}  // namespace
}  // namespace scourvane::testing
