// The terminal front end as a user runs it: the real binary, its exit status and its output.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>

#include "support/files.h"

namespace scourvane {
namespace {

using testing::writeFile;

struct Result {
    int status;
    std::string out, err;
};

Result runCli(const std::string& args, const testing::TempDir& tmp) {
    const auto errPath = tmp / "stderr.txt";
    const std::string cmd =
        std::string(SCOURVANE_CLI_PATH) + " " + args + " 2>'" + errPath.string() + "'";
    Result r{};
    FILE* p = popen(cmd.c_str(), "r");
    char buf[4096];
    std::size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0) r.out.append(buf, n);
    int raw = pclose(p);
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    r.err = testing::readFile(errPath);
    return r;
}

TEST(Cli, UsageErrorsExitWithTwoAndHelpExplainsTheOutput) {
    testing::TempDir tmp;
    EXPECT_EQ(runCli("", tmp).status, 2);
    Result unknown = runCli("--frobnicate x.vbp", tmp);
    EXPECT_EQ(unknown.status, 2);
    EXPECT_NE(unknown.err.find("--help"), std::string::npos);
    EXPECT_EQ(runCli("--codepage 65001 x.vbp", tmp).status, 2);
    Result help = runCli("--help", tmp);
    EXPECT_EQ(help.status, 0);
    for (const char* word : {"--json", "--codepage", "--report", "--until-stable", "--quiet",
                             "--version", "working_copy", "unused_public", "Exit", "Examples:",
                             "--report findings.sarif"})
        EXPECT_NE(help.out.find(word), std::string::npos) << word;
    Result version = runCli("--version", tmp);
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out.rfind("scourvane-cli ", 0), 0u) << version.out;
}

TEST(Cli, ErrorsGoToStderrOneLineEachAndSetTheExitStatus) {
    testing::TempDir tmp;
    Result r = runCli("'" + (tmp / "nothing.vbp").string() + "'", tmp);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err,
              "Error 53 (ファイルが見つかりません: " + (tmp / "nothing.vbp").string() + ")\n");
}

TEST(Cli, PrintsTheCounterGridOrOneJsonObject) {
    testing::TempDir tmp;
    writeFile(tmp / "P/P.vbp", "Module=B; Lib\\b.bas\r\nModule=A; a.bas\r\n");
    writeFile(tmp / "P/P.vbw", "");
    writeFile(tmp / "P/Lib/b.bas", "Attribute VB_Name = \"B\"\r\n");
    writeFile(tmp / "P/a.bas", "Attribute VB_Name = \"A\"\r\n");
    const std::string project = "'" + (tmp / "P/P.vbp").string() + "'";

    Result grid = runCli(project, tmp);
    EXPECT_EQ(grid.status, 0) << grid.err;
    EXPECT_EQ(grid.err, "");  // not a terminal: no status lines
    EXPECT_NE(grid.out.find("宣言"), std::string::npos);
    EXPECT_NE(grid.out.find("Dim "), std::string::npos);
    EXPECT_NE(grid.out.find("Private "), std::string::npos);
    EXPECT_NE(grid.out.find("Public "), std::string::npos);

    Result json = runCli("--json " + project, tmp);
    EXPECT_EQ(json.status, 0) << json.err;
    const std::string wc = (tmp / "P/New_P").string();
    EXPECT_EQ(json.out.rfind("{\"working_copy\":\"" + wc +
                                 "\",\"modules\":[\"a.bas\",\"b.bas\"],"
                                 "\"counters\":{\"dim\":",
                             0),
              0u)
        << json.out;
    EXPECT_NE(json.out.find("\"errors\":[]}"), std::string::npos) << json.out;
}

TEST(Cli, JsonListsErrorsAndDecodesNamesFromTheCodePage) {
    testing::TempDir tmp;
    writeFile(tmp / "P/P.vbp", testing::sjis("Module=M; 表示.bas\r\nModule=G; Gone.bas\r\n"));
    writeFile(tmp / "P/表示.bas", "Attribute VB_Name = \"M\"\r\n");
    Result r = runCli("--json '" + (tmp / "P/P.vbp").string() + "'", tmp);
    EXPECT_EQ(r.status, 1);  // no Gone.bas
    EXPECT_NE(r.out.find("\"modules\":[\"Gone.bas\",\"表示.bas\"]"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\"errors\":[{\"number\":53,\"description\":\"ファイルが見つかりません: "),
              std::string::npos)
        << r.out;
    EXPECT_TRUE(std::filesystem::exists(tmp / "P/New_P/表示.bas"));
}

TEST(Cli, Codepage1252ReadsAWesternProject) {
    testing::TempDir tmp;
    writeFile(tmp / "P/P.vbp", "Module=M; R\xE9sum\xE9.bas\r\n");  // "Résumé" in 1252
    writeFile(tmp / "P/P.vbw", "");
    writeFile(tmp / "P/Résumé.bas", "Attribute VB_Name = \"M\"\r\n");
    Result r = runCli("--codepage 1252 --json '" + (tmp / "P/P.vbp").string() + "'", tmp);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("\"modules\":[\"Résumé.bas\"]"), std::string::npos) << r.out;
}

}  // namespace
}  // namespace scourvane
