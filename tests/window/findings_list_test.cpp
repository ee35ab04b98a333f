// The review list over a real run of the sample project: every finding a row, each sort an
// ordered permutation of the rows the filter keeps, the filter keeping exactly the rows that
// hold its text, and the code around a finding read from the working copy as it stands.
#include "window/findings_list.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "engine/engine.h"
#include "support/files.h"

namespace scourvane::window {
namespace {

report::ReportData sampleRun(const testing::TempDir& dir) {
    testing::copyTree(testing::sourceDir() / "examples" / "Sales", dir / "Sales");
    QuietWindow window;
    Engine engine(window);
    engine.intake(dir / "Sales" / "Sales.vbp");
    engine.run();
    report::ReportData data;
    report::addRun(data, engine.session());
    return data;
}

bool holds(const FindingRow& r, const std::string& lowerText) {
    for (FindingColumn c : {FindingColumn::File, FindingColumn::Name, FindingColumn::Kind,
                            FindingColumn::Action}) {
        std::string cell = r.cell(c);
        std::transform(cell.begin(), cell.end(), cell.begin(),
                       [](char ch) { return ch >= 'A' && ch <= 'Z' ? ch + 32 : ch; });
        if (cell.find(lowerText) != std::string::npos) return true;
    }
    return false;
}

TEST(FindingsList, SortsAndFiltersTheRowsOfARun) {
    testing::TempDir dir;
    const report::ReportData data = sampleRun(dir);
    FindingsList list;
    list.load(data);
    ASSERT_EQ(list.rows().size(), data.findings.size());
    ASSERT_GT(list.rows().size(), 10u);
    for (const std::string& filter : {std::string(), std::string("util"), std::string("Private")})
        for (std::optional<Rule> rule : {std::optional<Rule>{}, std::optional<Rule>{Rule::UnusedDim}}) {
            list.setFilter(filter, rule);
            std::string lower = filter;
            std::transform(lower.begin(), lower.end(), lower.begin(),
                           [](char ch) { return ch >= 'A' && ch <= 'Z' ? ch + 32 : ch; });
            std::set<std::size_t> expected;
            for (std::size_t i = 0; i < list.rows().size(); ++i)
                if ((!rule || list.rows()[i].rule == *rule) && holds(list.rows()[i], lower))
                    expected.insert(i);
            for (int c = 0; c < kFindingColumns; ++c)
                for (int twice = 0; twice < 2; ++twice) {
                    list.sortBy(static_cast<FindingColumn>(c));
                    const auto& shown = list.shown();
                    EXPECT_EQ(std::set<std::size_t>(shown.begin(), shown.end()), expected);
                    EXPECT_EQ(shown.size(), expected.size());
                    for (std::size_t k = 1; k < shown.size(); ++k) {
                        const FindingRow &a = list.rows()[shown[k - 1]], &b = list.rows()[shown[k]];
                        const bool inOrder =
                            c == static_cast<int>(FindingColumn::Line)  ? a.line <= b.line
                            : c == static_cast<int>(FindingColumn::Run) ? a.run <= b.run
                            : a.cell(static_cast<FindingColumn>(c)) <= b.cell(static_cast<FindingColumn>(c));
                        const bool reversed =
                            c == static_cast<int>(FindingColumn::Line)  ? a.line >= b.line
                            : c == static_cast<int>(FindingColumn::Run) ? a.run >= b.run
                            : a.cell(static_cast<FindingColumn>(c)) >= b.cell(static_cast<FindingColumn>(c));
                        EXPECT_TRUE(list.ascending() ? inOrder : reversed) << c << " at " << k;
                    }
                }
        }
    // Keep entries name the module without its extension; marking them is exact.
    list.setFilter("", std::nullopt);
    const FindingRow first = list.rows().front();
    EXPECT_EQ(first.keepEntry.find('.'), first.keepEntry.rfind('.'));
    list.setKept({first.keepEntry}, true);
    for (const FindingRow& r : list.rows()) EXPECT_EQ(r.kept, r.keepEntry == first.keepEntry);
}

TEST(FindingsList, TheCodeAroundAFindingIsTheWorkingCopysNow) {
    testing::TempDir dir;
    const report::ReportData data = sampleRun(dir);
    for (const Finding& f : data.findings) {
        const std::vector<CodeLine> code = codeAround(data, f, 2);
        ASSERT_FALSE(code.empty());
        const auto lines = report::linesOf(data, f, code.front().number, code.back().number);
        ASSERT_EQ(lines.size(), code.size());
        for (std::size_t i = 0; i < code.size(); ++i) {
            EXPECT_EQ(code[i].text, lines[i]);
            EXPECT_EQ(code[i].finding, code[i].number >= f.firstLine && code[i].number <= f.lastLine);
            EXPECT_EQ(code[i].marked, lines[i].rfind("'<未使用> |", 0) == 0);
        }
        EXPECT_LE(code.front().number, f.firstLine);
        EXPECT_GE(code.back().number, f.lastLine);
        // Every marked finding's own lines are marked; a demoted one's line is not.
        for (const CodeLine& l : code) {
            if (l.finding) {
                EXPECT_EQ(l.marked, f.rule != Rule::PublicToPrivate) << l.text;
            }
        }
    }
}

}  // namespace
}  // namespace scourvane::window
