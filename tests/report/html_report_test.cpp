// The HTML findings page, made from a real run on the sample project: read as text, and as
// headless Chromium shows it.
#include <gtest/gtest.h>

#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <regex>
#include <set>

#include "base/paths.h"
#include "e2e/fixture_files.h"
#include "engine/engine.h"
#include "report/reports.h"
#include "support/files.h"
#include "support/recording_window.h"

namespace scourvane::testing {
namespace {

std::string escaped(const std::string& s) {
    static const std::map<char, std::string> entity = {
        {'&', "&amp;"}, {'<', "&lt;"}, {'>', "&gt;"}, {'"', "&quot;"}, {'\'', "&#39;"}};
    std::string out;
    for (char c : s) out += entity.contains(c) ? entity.at(c) : std::string(1, c);
    return out;
}

std::string uriOf(const fs::path& file) {
    const std::u8string generic = file.generic_u8string();
    std::string out = generic.empty() || generic[0] != u8'/' ? "file:///" : "file://";
    for (char8_t c : generic) {
        if (std::isalnum(c) || (c && std::strchr("-._~/", c))) {
            out += static_cast<char>(c);
        } else {
            char hex[4];
            std::snprintf(hex, sizeof hex, "%%%02X", static_cast<unsigned>(c));
            out += hex;
        }
    }
    return out;
}

// The sample project copied into `folder` (under a name with a space and Japanese, so that
// paths and links need encoding), taken in and run once.
report::ReportData sampleRun(const fs::path& folder) {
    const fs::path project = folder / "売上 Sales";
    copyProject(sourceDir() / "examples/Sales", project);
    RecordingWindow window;
    Engine engine(window);
    EXPECT_TRUE(engine.intake(project / "Sales.vbp"));
    EXPECT_TRUE(engine.run());
    EXPECT_TRUE(window.errors.empty());
    report::ReportData data;
    report::addRun(data, engine.session());
    return data;
}

void expectSelfContained(const std::string& page) {
    for (const char* banned : {"<script", "http:", "https:", "<link", "@import", "<img"})
        EXPECT_EQ(page.find(banned), std::string::npos) << banned;
}

TEST(HtmlReport, SampleFindingsWithTheirLinksAndMarkedLines) {
    TempDir tmp;
    const report::ReportData data = sampleRun(tmp.path());
    const std::string page = report::htmlReport(data);

    std::set<Rule> rules;  // the sample has findings of every rule
    for (const Finding& f : data.findings) rules.insert(f.rule);
    EXPECT_EQ(rules.size(), static_cast<std::size_t>(kRuleCount));
    for (const Finding& f : data.findings) {
        SCOPED_TRACE(f.name);
        EXPECT_NE(page.find(report::ruleText(f.rule).japanese), std::string::npos);
        EXPECT_NE(page.find(">" + escaped(report::decoded(data, f.name)) + "<"), std::string::npos);
        const std::string line = std::to_string(f.firstLine);
        const std::string where = report::relativeFile(data, f) + ":" + line;
        const fs::path file = data.workingCopy / report::relativeFile(data, f);
        EXPECT_NE(page.find("<a href=\"" + escaped(uriOf(file)) + "#L" + line + "\">" +
                            escaped(where) + "</a>"),
                  std::string::npos)
            << where;
        const auto lines = report::linesOf(data, f, f.firstLine, f.lastLine);
        ASSERT_EQ(lines.size(), static_cast<std::size_t>(f.lastLine - f.firstLine + 1));
        if (f.rule != Rule::PublicToPrivate) {
            EXPECT_EQ(lines.front().rfind("'<未使用> |", 0), 0u);
        }
        for (std::size_t i = 0; i < lines.size(); ++i)
            EXPECT_NE(page.find(">" + std::to_string(f.firstLine + i) + "</span>" +
                                escaped(lines[i]) + "\n"),
                      std::string::npos)
                << lines[i];
    }
    EXPECT_NE(page.find("<title>Sales.vbp"), std::string::npos);
    EXPECT_NE(page.find(escaped(files::display(data.workingCopy))), std::string::npos);
    expectSelfContained(page);
}

TEST(HtmlReport, HostileTextIsEscapedAndAnEmptyPageSaysSo) {
    TempDir tmp;
    const std::string hostile = "<script>&\"'";
    report::ReportData data;
    data.projectFile = tmp / (hostile + ".vbp");
    data.workingCopy = tmp / "New_a&b'c";
    data.modules = {"m&'1.bas"};
    data.runs = {report::RunSummary{}, report::RunSummary{2}};
    data.errors = {{53, "File not found: " + hostile}};
    EXPECT_NE(report::htmlReport(data).find("見つかりませんでした"), std::string::npos);

    writeFile(data.workingCopy / "m&'1.bas",
              sjis("Attribute VB_Name = \"m\"\r\n'<未使用> |Dim " + hostile + "\r\n"));
    data.findings.push_back(Finding{0, "m&'1.bas", Rule::UnusedDim, hostile,
                                    DeclarationKind::Variable, 2, 2, "Dim " + hostile, 2});
    const std::string page = report::htmlReport(data);
    EXPECT_EQ(page.find("見つかりませんでした"), std::string::npos);
    const std::string safe = "&lt;script&gt;&amp;&quot;&#39;";
    EXPECT_NE(page.find("<title>" + safe + ".vbp"), std::string::npos);
    EXPECT_NE(page.find(">" + safe + "</span>"), std::string::npos);  // the name
    EXPECT_NE(page.find("&#39;&lt;未使用&gt; |Dim " + safe + "\n"), std::string::npos);
    EXPECT_NE(page.find("Error 53 (File not found: " + safe + ")"), std::string::npos);
    EXPECT_NE(page.find("New_a%26b%27c/m%26%271.bas#L2\">m&amp;&#39;1.bas:2</a>"),
              std::string::npos);
    EXPECT_NE(page.find("第 2 回"), std::string::npos);
    expectSelfContained(page);
}

TEST(HtmlReport, ChromiumShowsTheSamplePage) {
    if (std::system("command -v chromium >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "chromium is not on PATH (scripts/install-deps.sh)";
    TempDir tmp;
    const report::ReportData data = sampleRun(tmp.path());
    const fs::path html = tmp / "report.html", png = tmp / "report.png", dom = tmp / "dom.html";
    writeFile(html, report::htmlReport(data));
    // Its own profile, so that tests running side by side share none.
    const std::string chromium =
        "timeout 60 chromium --headless --no-sandbox --disable-gpu "
        "--window-size=1000,1400 --user-data-dir=\"" +
        (tmp / "profile").string() + "\" \"" + uriOf(html) + "\" ";
    const std::string log = " 2>>\"" + (tmp / "log").string() + "\"";
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(std::system((chromium + "--dump-dom >\"" + dom.string() + "\"" + log).c_str()), 0);
    ASSERT_EQ(std::system((chromium + "--screenshot=\"" + png.string() + "\"" + log).c_str()), 0);
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    std::printf("chromium took %.1f s\n", took.count());

    // The text the browser holds: tags as spaces, runs of white space as one.
    std::string text = std::regex_replace(readFile(dom), std::regex("<[^>]*>"), " ");
    text = std::regex_replace(text, std::regex("\\s+"), " ");
    const auto& counters = data.runs.back().counters;
    const std::pair<const char*, CounterId> grid[] = {
        {"Dim", CounterId::Dim}, {"Private", CounterId::Private}, {"Public", CounterId::Public}};
    for (const auto& [row, declared] : grid) {  // each row: declared, then unused
        const int i = indexOf(declared);
        EXPECT_NE(text.find(std::string(" ") + row + " " + std::to_string(counters[i]) + " " +
                            std::to_string(counters[i + 1]) + " "),
                  std::string::npos)
            << row;
    }
    for (const Finding& f : data.findings) {
        EXPECT_NE(text.find(" " + report::decoded(data, f.name) + " "), std::string::npos);
        EXPECT_NE(
            text.find(report::relativeFile(data, f) + ":" + std::to_string(f.firstLine)),
            std::string::npos);
    }
    EXPECT_NE(text.find(report::ruleText(Rule::UnusedDim).japanese), std::string::npos);

    const std::string image = readFile(png);
    ASSERT_GT(image.size(), 24u);
    EXPECT_EQ(image.substr(1, 3), "PNG");
    auto be32 = [&](std::size_t at) {  // the IHDR's width and height
        unsigned value = 0;
        for (std::size_t i = at; i < at + 4; ++i) value = value << 8 | (image[i] & 0xFFu);
        return value;
    };
    EXPECT_EQ(be32(16), 1000u);
    EXPECT_EQ(be32(20), 1400u);
    EXPECT_GT(image.size(), 20000u);  // a blank page of that size packs into about 7 KB
}

}  // namespace
}  // namespace scourvane::testing
