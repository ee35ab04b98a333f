#include "usage/procedure_bounds.h"

#include <gtest/gtest.h>

#include <random>

#include "collect/keep_comment.h"
#include "support/files.h"
#include "text/search.h"
#include "text/codepage.h"

namespace scourvane {
namespace {

using testing::sjis;

TEST(ProcedureHeader, ReturnsTheWordBeforeTheFirstParenthesis) {
    EXPECT_EQ(procedureHeaderName("Private Sub Command1_Click()"), "Command1_Click");
    EXPECT_EQ(procedureHeaderName("    Public Function Total(a As Long) As Long"), "Total");
    EXPECT_EQ(procedureHeaderName("Private Property Get Value() As Long"), "Value");
    EXPECT_EQ(procedureHeaderName("Public Property Let Value(v As Long)"), "Value");
    EXPECT_EQ(procedureHeaderName("Sub Main()"), "Main");
    EXPECT_EQ(procedureHeaderName("Friend Sub Reset()"), "Reset");
    EXPECT_EQ(procedureHeaderName("Private Static Sub Tick()"), "Tick");
    // The first "(" of the line, searched from its start.
    EXPECT_EQ(procedureHeaderName("If Ready(x) Then Exit Sub"), "Ready");
}

TEST(ProcedureHeader, LinesThatOpenNoProcedure) {
    EXPECT_EQ(procedureHeaderName("Function Total()"), "");
    EXPECT_EQ(procedureHeaderName("Property Get Value()"), "");
    EXPECT_EQ(procedureHeaderName("Public Static Function Total()"), "");
    EXPECT_EQ(procedureHeaderName("Friend Function Total()"), "");
    EXPECT_EQ(procedureHeaderName("End Sub"), "");
    EXPECT_EQ(procedureHeaderName("    Exit Sub"), "");
    EXPECT_EQ(procedureHeaderName("Private Sub Foo ()"), "");  // space before "("
    EXPECT_EQ(procedureHeaderName("Private\tSub Foo()"), "");
    EXPECT_EQ(procedureHeaderName("Private  Sub Foo()"), "Foo");  // still " Sub "
    EXPECT_EQ(procedureHeaderName("x = 1 ' Private Sub Foo()"), "");
    EXPECT_EQ(procedureHeaderName("' Sub Foo()"), "");
    EXPECT_EQ(procedureHeaderName(""), "");
}

TEST(ProcedureHeader, TheQuoteGuard) {
    EXPECT_EQ(procedureHeaderName("Private Declare Sub Sleep Lib \"kernel32\" (ByVal ms As Long)"),
              "");
    EXPECT_EQ(procedureHeaderName("Public Sub Log(Optional p As String = \"x\")"), "");
    EXPECT_EQ(procedureHeaderName("Public Sub Log(Optional p As String = a & \"x\")"), "Log");
    EXPECT_EQ(procedureHeaderName("Public Sub Log(Optional p As Long = 1 + Len(\"x\"))"), "Log");
    EXPECT_EQ(procedureHeaderName("Public Sub Log() ' the \"log\""), "");
    // A quote before the keyword does not matter: the scan starts at the keyword.
    EXPECT_EQ(procedureHeaderName("x = \"a\": Call Sub Foo()"), "Foo");
}

TEST(ProcedureEnd, EndsAndNonEnds) {
    EXPECT_TRUE(isProcedureEnd("End Sub"));
    EXPECT_TRUE(isProcedureEnd("End Function"));
    EXPECT_TRUE(isProcedureEnd("End Property"));
    EXPECT_TRUE(isProcedureEnd("    End Sub"));
    EXPECT_TRUE(isProcedureEnd("End Sub ' done"));
    // Another end before it on the line.
    EXPECT_TRUE(isProcedureEnd("If x Then Exit Sub: End If: End Sub"));
}

TEST(ProcedureEnd, CommentsQuotesTabsAndOtherEnds) {
    EXPECT_FALSE(isProcedureEnd("\tEnd Sub"));
    EXPECT_FALSE(isProcedureEnd("' End Sub"));
    EXPECT_FALSE(isProcedureEnd("End Sub ' the \"end\""));
    EXPECT_TRUE(isProcedureEnd("End Sub ' a & \"end\""));
    EXPECT_FALSE(isProcedureEnd("End Type"));
    EXPECT_FALSE(isProcedureEnd("End If"));
    EXPECT_FALSE(isProcedureEnd("End With"));
    EXPECT_FALSE(isProcedureEnd("End Select"));
    EXPECT_FALSE(isProcedureEnd("End"));
    EXPECT_FALSE(isProcedureEnd("EndSub"));
}

TEST(ProcedureBoundsCp932, JapaneseNamesAndTrailBytes) {
    text::ScopedCodePage cp{932};
    EXPECT_EQ(procedureHeaderName(sjis("Private Sub 表示()")), sjis("表示"));
    // "ソ" is 83 5C and "ー" is 81 5B: neither trail byte is a quote, "&" or "+".
    EXPECT_EQ(procedureHeaderName(sjis("Public Sub ソート(ByVal s As String)")), sjis("ソート"));
    EXPECT_TRUE(isProcedureEnd(sjis("End Sub ' 終わり")));
}

// The passes look ahead in the text for the words these tests need, and ask them only about the
// lines that hold one: no line without those words (byte for byte) opens or closes a procedure
// or is a keep comment. Random lines of the pieces that come close.
TEST(ProcedureBounds, NoLineWithoutTheWordsLookedForAheadOpensOrClosesAProcedure) {
    const char* const pieces[] = {"Private ", "Public ", "Sub", "Su", "b", "Function", "Property",
                                  "End",      "End ",    " ",   "\t", "(",  ")",  "x",        "'",
                                  "\"",       ":",       "Rem ", "'scourvane:keep", "'scourvane keep", "\x83\x5C"};
    text::ScopedCodePage cp{932};
    std::mt19937 rng(5);
    int opens = 0, closes = 0, keeps = 0;
    for (int round = 0; round < 20000; ++round) {
        std::string line;
        for (int n = static_cast<int>(rng() % 9); n > 0; --n)
            line += pieces[rng() % std::size(pieces)];
        const bool opened = !procedureHeaderName(line).empty();
        const bool closed = isProcedureEnd(line);
        const bool kept = isKeepCommentLine(line);
        opens += opened;
        closes += closed;
        keeps += kept;
        ASSERT_TRUE(!opened || text::containsBytes(line, "Sub") ||
                    text::containsBytes(line, "Function") || text::containsBytes(line, "Property"))
            << line;
        ASSERT_TRUE(!closed || text::containsBytes(line, "End ")) << line;
        ASSERT_TRUE(!kept || text::containsBytes(line, ":")) << line;
    }
    // The lines came close enough for each test to say yes now and then.
    EXPECT_GT(opens, 0);
    EXPECT_GT(closes, 0);
    EXPECT_GT(keeps, 0);
}

}  // namespace
}  // namespace scourvane
