#include "usage/private_pass.h"

#include <gtest/gtest.h>

#include <limits>

#include "base/run_error.h"
#include "pass_fixture.h"

namespace scourvane {
namespace {

using testing::lines;
using testing::marked;
using testing::sjis;

class PrivatePass : public testing::PassTest {
  protected:
    std::string run(const std::string& content, const std::string& module = "Mod1.bas") {
        put(module, content);
        privatePass(ctx, module);
        return get(module);
    }
    int counter(CounterId id) const { return session.counters.get(id); }
};

TEST_F(PrivatePass, JudgesEachNameByTheLinesOfItsModule) {
    const std::string out = run(lines({
        "Private Const MAXROWS = 10",
        "Private spare As Long",
        "Private Declare Function GetTickCount Lib \"kernel32\" () As Long",
        "Private dup As Long",
        "Private dup As Long",
        "Public Sub Go()",
        "    x = MAXROWS",
        "End Sub",
    }));
    EXPECT_EQ(out, lines(
                       {
                           "Private Const MAXROWS = 10",
                           "'<未使用> |Private spare As Long",
                           "'<未使用> |Private Declare Function GetTickCount Lib \"kernel32\" () "
                           "As Long",
                           "Private dup As Long",  // each declaration is a use of the other
                           "Private dup As Long",
                           "Public Sub Go()",
                           "    x = MAXROWS",
                           "End Sub",
                       },
                       false));
    EXPECT_EQ(counter(CounterId::Private), 5);
    EXPECT_EQ(counter(CounterId::UnusedPrivate), 2);
    EXPECT_EQ(label(CounterId::Private), "5");
    EXPECT_EQ(label(CounterId::UnusedPrivate), "2");
}

TEST_F(PrivatePass, MarksUnusedProceduresAndTypesAsWholeBlocks) {
    const std::string out = run(lines({
        "Private Type PAIR",
        "    a As Long",
        "End Type",
        "Private Function Unused() As Long",
        "    Helper",
        "End Function",
        "Private Sub Helper()",
        "End Sub",
        "Private Function Answer() As Long",
        "    Answer = 42",
        "End Function",
        "Private Sub Recurse(n As Long)",
        "    If n > 0 Then Recurse n - 1",
        "End Sub",
        "Private Property Get Size() As Long",
        "End Property",
        "After",
    }));
    // Helper is called only from Unused, which is marked: the call still counted. Answer
    // assigns its own name, Recurse calls itself: both are used.
    EXPECT_EQ(out, lines(
                       {
                           "'<未使用> |Private Type PAIR",
                           "'<未使用> |    a As Long",
                           "'<未使用> |End Type",
                           "'<未使用> |Private Function Unused() As Long",
                           "'<未使用> |    Helper",
                           "'<未使用> |End Function",
                           "Private Sub Helper()",
                           "End Sub",
                           "Private Function Answer() As Long",
                           "    Answer = 42",
                           "End Function",
                           "Private Sub Recurse(n As Long)",
                           "    If n > 0 Then Recurse n - 1",
                           "End Sub",
                           "'<未使用> |Private Property Get Size() As Long",
                           "'<未使用> |End Property",
                           "After",
                       },
                       false));
    EXPECT_EQ(counter(CounterId::UnusedPrivate), 3);
}

TEST_F(PrivatePass, IndentedHeadersOpenAndIndentedEndsEndTheirBlocks) {
    EXPECT_EQ(run(lines({"#If Win32 Then", "  Private Sub A()", "    x = 1", "  End Sub", "#End If",
                         "Private Sub B()", "    x = 2", "End Sub", "Public Sub C()", "    B",
                         "End Sub"})),
              lines({"#If Win32 Then", "'<未使用> |  Private Sub A()", "'<未使用> |    x = 1",
                     "'<未使用> |  End Sub", "#End If", "Private Sub B()", "    x = 2", "End Sub",
                     "Public Sub C()", "    B", "End Sub"},
                    false));
    // No end line before the next header: the default rules mark down to the next end line,
    // the safe rules do not judge the block at all.
    const std::string noEnd = lines({"Private Sub A()", "  x = 1", "Public Sub C()", "End Sub"});
    EXPECT_EQ(run(noEnd), lines({"'<未使用> |Private Sub A()", "'<未使用> |  x = 1",
                                 "'<未使用> |Public Sub C()", "'<未使用> |End Sub"},
                                false));
    session.rules = RuleSet::Safe;
    session.counters.zero();
    // The safe rules end the last line as every other pass does.
    EXPECT_EQ(run(noEnd), lines({"Private Sub A()", "  x = 1", "Public Sub C()", "End Sub"}));
    EXPECT_EQ(counter(CounterId::Private), 0);
}

TEST_F(PrivatePass, MarkedLinesNeverCountAndGetASecondMarkerInsideABlock) {
    // The local-variable pass left a mark; the only other line naming `cnt` is that mark.
    const std::string out = run(lines({
        "Private cnt As Long",
        "Private Sub Unused()",
        "'<未使用> |    Dim cnt2 As Long: cnt = 1",
        "End Sub",
    }));
    EXPECT_EQ(out, lines(
                       {
                           "'<未使用> |Private cnt As Long",
                           "'<未使用> |Private Sub Unused()",
                           "'<未使用> |'<未使用> |    Dim cnt2 As Long: cnt = 1",
                           "'<未使用> |End Sub",
                       },
                       false));
}

TEST_F(PrivatePass, FormModulesEventProceduresAndTheFileHeader) {
    session.objects = {"Form", "Form1", "Command1"};
    const std::string out = run(lines({
                                    "Begin VB.Form Form1",
                                    "   Caption = Greeting ",
                                    "End",
                                    "Attribute VB_Name = \"Form1\"",
                                    "Private Greeting As String",
                                    "Private Sub Command1_Click()",
                                    "End Sub",
                                    "Private Sub Form_Load()",
                                    "End Sub",
                                }),
                                "Form1.frm");
    EXPECT_EQ(out, lines(
                       {
                           "Begin VB.Form Form1",
                           "   Caption = Greeting ",
                           "End",
                           "Attribute VB_Name = \"Form1\"",
                           "Private Greeting As String",
                           "Private Sub Command1_Click()",
                           "End Sub",
                           "Private Sub Form_Load()",
                           "End Sub",
                       },
                       false));
    EXPECT_EQ(counter(CounterId::Private), 1);
    EXPECT_EQ(counter(CounterId::UnusedPrivate), 0);
}

TEST_F(PrivatePass, RewritesWithoutABreakAfterTheLastLine) {
    EXPECT_EQ(run("Option Explicit\nx = 1\r\n"), "Option Explicit\r\nx = 1");
    EXPECT_EQ(run("Option Explicit"), "Option Explicit");
    EXPECT_EQ(run(""), "");
    // An empty last line keeps its break: without it the line would be lost on the next read.
    EXPECT_EQ(run("\r\n"), "\r\n");
    EXPECT_EQ(run("Option Explicit\r\n\r\n\n"), "Option Explicit\r\n\r\n\r\n");
    EXPECT_EQ(run("x = 1\r\n   \r\n"), "x = 1\r\n   ");
    EXPECT_EQ(counter(CounterId::Private), 0);
    // Japanese text keeps every byte.
    const std::string jp = sjis("Private 表 As Long\r\nx = \"ソ\" & 表");
    EXPECT_EQ(run(jp), jp);
}

TEST_F(PrivatePass, YieldsAfterEveryLineCountedAndEveryDecision) {
    run(lines({"Private a As Long", "Private b As Long", "x = a"}));
    // 3 lines read, 3 lines counted, 2 decisions.
    EXPECT_EQ(window.yields, 8);
    std::vector<std::string> progress;
    for (const auto& e : window.events)
        if (e.kind == "progress") progress.push_back(e.text);
    // Reading by bytes (19, 38, 45 of 45), decisions by rows (0 and 1 of 2), then 0.
    EXPECT_EQ(progress, (std::vector<std::string>{"0", "42", "84", "100", "0", "50", "0"}));
}

TEST_F(PrivatePass, NoSixteenBitLimits) {
    std::string content = "Private hot As Long\r\nPrivate cold As Long\r\n";
    for (int i = 0; i < 40'000; ++i) content += "hot = hot + 1\r\n";
    const std::string out = run(content);
    EXPECT_TRUE(window.errors.empty());
    EXPECT_EQ(out.substr(0, 21 + marked("Private cold As Long").size()),
              "Private hot As Long\r\n" + marked("Private cold As Long"));
    EXPECT_EQ(counter(CounterId::UnusedPrivate), 1);
}

TEST_F(PrivatePass, AFailingCheckLosesNoLine) {
    session.counters.add(CounterId::UnusedPrivate, std::numeric_limits<std::int32_t>::max() - 1,
                         window);
    const std::string out = run(lines({"Private a As Long", "Private b As Long", "x = 1"}));
    EXPECT_EQ(out, lines({"'<未使用> |Private a As Long", "Private b As Long", "x = 1"}, false));
    ASSERT_EQ(window.errors.size(), 1u);
    EXPECT_EQ(window.errors[0].rfind("Error 6 (", 0), 0u);
}

TEST_F(PrivatePass, ClosingUnwindsAndLeavesTheFile) {
    const std::string content = lines({"Private a As Long", "x = 1"});
    put("Mod1.bas", content);
    window.onYield = [this] { return window.yields < 3; };
    EXPECT_THROW(privatePass(ctx, "Mod1.bas"), Closing);
    EXPECT_EQ(get("Mod1.bas"), content);
}

}  // namespace
}  // namespace scourvane
