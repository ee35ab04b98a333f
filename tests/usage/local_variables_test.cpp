#include "usage/local_variables.h"

#include <gtest/gtest.h>

#include <limits>

#include "base/run_error.h"
#include "pass_fixture.h"

namespace scourvane {
namespace {

using testing::lines;
using testing::marked;
using testing::sjis;

class LocalVariables : public testing::PassTest {
  protected:
    // Runs the pass on a module named `module` holding `content`; returns what it wrote.
    std::string run(const std::string& content, const std::string& module = "Mod1.bas") {
        put(module, content);
        localVariablePass(ctx, module);
        return get(module);
    }
    int counter(CounterId id) const { return session.counters.get(id); }
};

TEST_F(LocalVariables, MarksOnlyVariablesTheirOwnProcedureDoesNotUse) {
    const std::string out = run(lines({
        "Private total As Long",
        "Public Sub A()",
        "    Dim used As Long",
        "    Dim spare As Long",
        "    Dim other As Long",
        "    used = 1",
        "End Sub",
        "Public Sub B()",
        "    other = 2",
        "    total = spare",
        "End Sub",
    }));
    EXPECT_EQ(out, lines({
                       "Private total As Long",
                       "Public Sub A()",
                       "    Dim used As Long",
                       "'<未使用> |    Dim spare As Long",
                       "'<未使用> |    Dim other As Long",
                       "    used = 1",
                       "End Sub",
                       "Public Sub B()",
                       "    other = 2",
                       "    total = spare",
                       "End Sub",
                   }));
    EXPECT_EQ(counter(CounterId::Dim), 3);
    EXPECT_EQ(counter(CounterId::UnusedDim), 2);
    EXPECT_EQ(label(CounterId::Dim), "3");
    EXPECT_EQ(label(CounterId::UnusedDim), "2");
}

TEST_F(LocalVariables, CountsLinesNotOccurrences) {
    const std::string out = run(lines({
        "Sub A()",
        "    Dim n As Long ' n_Error",  // the declaration line is no use of its own name
        "    n = n + 1",
        "    Dim m As Long ' m_Error",
        "    m = 1",
        "    Debug.Print m",
        "End Sub",
    }));
    EXPECT_EQ(out, lines({
                       "Sub A()",
                       "'<未使用> |    Dim n As Long ' n_Error",
                       "    n = n + 1",
                       "    Dim m As Long ' m_Error",
                       "    m = 1",
                       "    Debug.Print m",
                       "End Sub",
                   }));
}

TEST_F(LocalVariables, AMarkedLineNeverCountsAsAUse) {
    // Without the mark on the first Dim line, its "b = 0" would be the second use of b.
    const std::string out = run(lines({
        "Sub A()",
        "    Dim a As Long: b = 0",
        "    Dim b As Long",
        "End Sub",
    }));
    EXPECT_EQ(out, lines({
                       "Sub A()",
                       "'<未使用> |    Dim a As Long: b = 0",
                       "'<未使用> |    Dim b As Long",
                       "End Sub",
                   }));
    EXPECT_EQ(counter(CounterId::UnusedDim), 2);
}

TEST_F(LocalVariables, StaticReDimAndFilteredNamesAreNotJudged) {
    session.objects = {"Form", "Form1"};
    const std::string out = run(lines({
                                    "Private Sub Go()",
                                    "    Static s As Long",
                                    "    Dim arr() As Long",
                                    "    ReDim arr(5)",
                                    "    Dim formIndex As Long",
                                    "End Sub",
                                }),
                                "Form1.frm");
    EXPECT_EQ(out, lines({
                       "Private Sub Go()",
                       "    Static s As Long",
                       "    Dim arr() As Long",
                       "    ReDim arr(5)",
                       "    Dim formIndex As Long",
                       "End Sub",
                   }));
    EXPECT_EQ(counter(CounterId::Dim), 1);
    EXPECT_EQ(counter(CounterId::UnusedDim), 0);
}

TEST_F(LocalVariables, ProceduresTheBoundaryTestsDoNotSee) {
    // A Function without scope is no procedure: its Dim lines pass through unexamined.
    EXPECT_EQ(run(lines({"Function F()", "    Dim z As Long", "End Function"})),
              lines({"Function F()", "    Dim z As Long", "End Function"}));
    EXPECT_EQ(counter(CounterId::Dim), 0);

    // Header and end on one line: the procedure runs on to the next end line, and the
    // variable of the following procedure is judged against both.
    EXPECT_EQ(run(lines({"Private Sub A(): End Sub", "Private Sub B()", "    Dim q As Long",
                         "End Sub", "Private Sub C()", "    q = 1", "End Sub"})),
              lines({"Private Sub A(): End Sub", "Private Sub B()", "'<未使用> |    Dim q As Long",
                     "End Sub", "Private Sub C()", "    q = 1", "End Sub"}));

    // No end line: the procedure takes every line to the end of the module.
    EXPECT_EQ(run(lines({"Sub A()", "    Dim q As Long", "    Dim r As Long", "    q = r"}, false)),
              lines({"Sub A()", "    Dim q As Long", "    Dim r As Long", "    q = r"}));
}

TEST_F(LocalVariables, WritesCrLfAfterEveryLineAndKeepsEveryByte) {
    // LF terminators, a last line without one, a lone CR inside a line, Japanese text.
    const std::string in = sjis("Sub A()\n    Dim 値 As Long\r\n    x = \"ソ\"\rEnd Sub");
    EXPECT_EQ(run(in),
              sjis("Sub A()\r\n'<未使用> |    Dim 値 As Long\r\n    x = \"ソ\"\rEnd Sub\r\n"));
    EXPECT_EQ(run(""), "");
}

TEST_F(LocalVariables, YieldsOncePerOutsideLineAndPerProcedureAndShowsBytesRead) {
    const std::string content = lines({"Option Explicit", "Sub A()", "    Dim q", "End Sub", ""});
    run(content);
    EXPECT_EQ(window.yields, 3);
    std::vector<std::string> progress;
    for (const auto& e : window.events)
        if (e.kind == "progress") progress.push_back(e.text);
    // 0 at the start; then bytes consumed: 17 of 48 (35), the procedure to 46 (96), all (100).
    EXPECT_EQ(progress, (std::vector<std::string>{"0", "35", "96", "100"}));

    // An empty module: the bar is set to 0, but no progress step follows.
    window.events.clear();
    run("");
    for (const auto& e : window.events) {
        if (e.kind == "progress") {
            EXPECT_EQ(e.text, "0");
        }
    }
}

TEST_F(LocalVariables, NoSixteenBitLimits) {
    // A procedure of 40,000 lines whose variable's only other use is its last body line.
    std::string content = "Sub Big()\r\n    Dim far As Long\r\n";
    for (int i = 0; i < 40'000; ++i) content += "    x = 1\r\n";
    content += "    far = 2\r\nEnd Sub\r\nSub Small()\r\n    Dim near As Long\r\nEnd Sub\r\n";
    const std::string out = run(content);
    EXPECT_TRUE(window.errors.empty());
    EXPECT_EQ(out.size(), content.size() + marked("").size());
    EXPECT_NE(out.find("\r\n    Dim far As Long\r\n"), std::string::npos);
    EXPECT_NE(out.find("\r\n" + marked("    Dim near As Long") + "\r\n"), std::string::npos);
}

TEST_F(LocalVariables, AFailingCheckLosesNoLine) {
    // The Dim counter is one below its limit: the second Dim line overflows it in the check.
    session.counters.add(CounterId::Dim, std::numeric_limits<std::int32_t>::max() - 1, window);
    const std::string content = lines({"Sub A()", "    Dim p As Long", "    Dim q As Long",
                                       "End Sub", "Sub B()", "    Dim r As Long", "End Sub"});
    const std::string out = run(content);
    // p was judged and marked before the failure; every line is still there.
    EXPECT_EQ(out, lines({"Sub A()", "'<未使用> |    Dim p As Long", "    Dim q As Long", "End Sub",
                          "Sub B()", "    Dim r As Long", "End Sub"}));
    ASSERT_EQ(window.errors.size(), 2u);  // one box per failing check; the pass goes on
    EXPECT_EQ(window.errors[0].rfind("Error 6 (", 0), 0u);
}

TEST_F(LocalVariables, AMissingFileIsAnErrorAndNothingIsWritten) {
    try {
        localVariablePass(ctx, "Missing.bas");
        FAIL() << "no error";
    } catch (const RunError& e) {
        EXPECT_EQ(e.number(), err::kFileNotFound);
    }
    EXPECT_FALSE(fs::exists(dir / "Missing.bas"));
}

}  // namespace
}  // namespace scourvane
