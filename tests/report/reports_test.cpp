// The findings reports as a user gets them from the terminal front end: the CSV of each fixture
// project pinned byte for byte, the SARIF report valid against the published 2.1.0 schema and
// saying exactly what the CSV says, --until-stable finding a cascade in its second run, and bad
// report paths refused before anything is done.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <sstream>

#include "e2e/fixture_files.h"
#include "support/files.h"

namespace scourvane::testing {
namespace {

using Result = CommandResult;

Result cli(const std::string& args, const TempDir& tmp, bool quiet = true) {
    return runCommand(std::string(SCOURVANE_CLI_PATH) + (quiet ? " --quiet " : " ") + args, tmp);
}

// RFC 4180 records of a CSV text (after its byte-order mark), as tab-joined lines.
std::vector<std::string> csvRecords(std::string_view text) {
    EXPECT_EQ(text.substr(0, 3), "\xEF\xBB\xBF");
    text.remove_prefix(3);
    std::vector<std::string> records;
    std::string record, cell;
    bool quoted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
                cell += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                cell += c;
            }
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            record += cell + "\t";
            cell.clear();
        } else if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            records.push_back(record + cell);
            record.clear();
            cell.clear();
            ++i;
        } else {
            EXPECT_NE(c, '\n') << "a bare line feed outside quotes";
            cell += c;
        }
    }
    EXPECT_TRUE(record.empty() && cell.empty() && !quoted) << "the last record has no CR LF";
    return records;
}

// The SARIF results as the digest script prints them, its "run" lines left out.
std::vector<std::string> sarifRecords(const fs::path& sarif, const TempDir& tmp) {
    const fs::path schema = sourceDir() / "../shared/schemas/sarif-schema-2.1.0.json";
    // The published schema lies beside the repository where it is checked out for work; a
    // clone elsewhere is checked without it, and says so.
    const std::string schemaArg = fs::exists(schema) ? quoted(schema) : "-";
    if (!fs::exists(schema))
        std::printf("note: no SARIF schema at %s: the report is checked without it\n",
                    schema.string().c_str());
    const Result r = runCommand("python3 " + quoted(sourceDir() / "tests/report/sarif_digest.py") +
                                    " " + quoted(sarif) + " " + schemaArg,
                                tmp);
    EXPECT_EQ(r.status, 0) << r.err;
    std::vector<std::string> lines;
    std::istringstream in(r.out);
    for (std::string line; std::getline(in, line);)
        if (line.rfind("run ", 0) != 0) lines.push_back(line);
    return lines;
}

struct Fixture {
    const char* name;    // under tests/fixtures
    const char* source;  // the user's project folder
    const char* folder;
    const char* projectFile;
};

const Fixture kFixtures[] = {
    {"sales", "examples/Sales", "Sales", "Sales.vbp"},
    {"road", "tests/fixtures/road/project", "Road", "Road.vbp"},
    {"crossmodule", "tests/fixtures/crossmodule/project", "Billing", "Billing.vbp"},
    {"japanese", "tests/fixtures/japanese/project", "受注管理", "受注.vbp"},
};

TEST(Reports, CsvIsPinnedAndSarifIsValidAndSaysTheSame) {
    for (const Fixture& f : kFixtures) {
        SCOPED_TRACE(f.name);
        TempDir tmp;
        const fs::path folder = tmp / f.folder;
        copyProject(sourceDir() / f.source, folder);
        // The pinned reports are the specified rules'.
        const Result r = cli("--rules spec --report " + quoted(tmp / "r.csv") + " --report " +
                                 quoted(tmp / "r.SARIF") + " " + quoted(folder / f.projectFile),
                             tmp);
        ASSERT_TRUE(fs::exists(tmp / "r.csv")) << r.err;
        const std::string csv = readFile(tmp / "r.csv");
        EXPECT_EQ(csv, readFile(sourceDir() / "tests/fixtures" / f.name / "expected-findings.csv"));

        std::vector<std::string> rows = csvRecords(csv);
        ASSERT_FALSE(rows.empty());
        EXPECT_EQ(rows.front(),
                  "run\trules\trow\tfile\trule\trule_ja\tname\tkind\tfirst_line\tlast_line\t"
                  "declaration");
        rows.erase(rows.begin());
        // Without the columns SARIF keeps elsewhere (rules, row, Japanese rule name).
        for (std::string& row : rows) {
            std::vector<std::string> cells;
            std::istringstream in(row);
            for (std::string cell; std::getline(in, cell, '\t');) cells.push_back(cell);
            ASSERT_EQ(cells.size(), 11u) << row;
            EXPECT_EQ(cells[1], "spec");
            row = cells[0] + "\t" + cells[3] + "\t" + cells[4] + "\t" + cells[6] + "\t" + cells[7] +
                  "\t" + cells[8] + "\t" + cells[9] + "\t" + cells[10];
        }
        EXPECT_EQ(sarifRecords(tmp / "r.SARIF", tmp), rows);
        // Every file of the working copy is the project's: no report was written into it.
        for (const auto& entry : fs::directory_iterator(folder / ("New_" + std::string(f.folder))))
            EXPECT_EQ(entry.path().extension().string().find(".sarif"), std::string::npos);
    }
}

// A procedure called only from an unused one is found by the second run (with three
// declarations no longer used by what the first run marked, and two Public ones that only the
// first run's marks made module-only); the third finds nothing and ends the repeating. The copy
// is then the one two separate runs leave.
TEST(Reports, UntilStableFindsTheCascadeAndStopsAtTheFirstRunThatFindsNothing) {
    TempDir tmp;
    const fs::path folder = tmp / "Billing";
    copyProject(sourceDir() / "tests/fixtures/crossmodule/project", folder);
    const Result r = cli("--rules spec --json --until-stable --report " + quoted(tmp / "all.sarif") + " " +
                             quoted(folder / "Billing.vbp"),
                         tmp, false);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(sameTree(sourceDir() / "tests/fixtures/crossmodule/expected-second-run",
                         folder / "New_Billing"));
    const std::string runs = r.out.substr(r.out.find("\"runs\":"));
    EXPECT_EQ(runs.substr(0, runs.find("],") + 1),
              "\"runs\":[{\"run\":1,\"counters\":{\"dim\":4,\"unused_dim\":3,\"private\":14,"
              "\"unused_private\":3,\"public\":12,\"unused_public\":3},\"findings\":13},"
              "{\"run\":2,\"counters\":{\"dim\":1,\"unused_dim\":0,\"private\":13,"
              "\"unused_private\":4,\"public\":7,\"unused_public\":0},\"findings\":6},"
              "{\"run\":3,\"counters\":{\"dim\":1,\"unused_dim\":0,\"private\":9,"
              "\"unused_private\":0,\"public\":7,\"unused_public\":0},\"findings\":0}]");
    EXPECT_NE(r.err.find("run 2: Dim 1/0, Private 13/4, Public 7/0, 6 findings\n"),
              std::string::npos)
        << r.err;
    std::size_t second = 0;
    for (const std::string& line : sarifRecords(tmp / "all.sarif", tmp))
        second += line.rfind("2\t", 0) == 0;
    EXPECT_EQ(second, 6u);
}

TEST(Reports, BadReportPathsAreRefusedBeforeTheRun) {
    TempDir tmp;
    const fs::path folder = tmp / "Sales";
    copyProject(sourceDir() / "examples/Sales", folder);
    fs::create_directories(tmp / "dir.csv");
    fs::create_directories(tmp / "locked");
    fs::permissions(tmp / "locked", fs::perms::owner_write, fs::perm_options::remove);
    const std::pair<fs::path, const char*> cases[] = {
        {tmp / "r.txt", "unknown report format"},
        {tmp / "dir.csv", "is a folder"},
        {tmp / "missing/r.csv", "does not exist"},
        {folder / "New_Sales/r.sarif", "inside the working copy"},
        {folder / "New_Sales/../New_Sales/r.html", "inside the working copy"},
    };
    for (const auto& [path, why] : cases) {
        const Result r = cli("--report " + quoted(path) + " " + quoted(folder / "Sales.vbp"), tmp);
        EXPECT_EQ(r.status, 2) << path;
        EXPECT_NE(r.err.find(why), std::string::npos) << r.err;
        EXPECT_FALSE(fs::exists(folder / "New_Sales")) << "the run started for " << path;
    }
    if (::geteuid() != 0) {  // root writes anywhere
        const Result r = cli(
            "--report " + quoted(tmp / "locked/r.csv") + " " + quoted(folder / "Sales.vbp"), tmp);
        EXPECT_EQ(r.status, 2);
        EXPECT_NE(r.err.find("cannot be written"), std::string::npos) << r.err;
    }
}

}  // namespace
}  // namespace scourvane::testing
