#include "collect/normaliser.h"

#include <gtest/gtest.h>

#include <random>

#include "support/files.h"
#include "text/codepage.h"

namespace scourvane {
namespace {

using testing::sjis;
using Rows = std::vector<Bytes>;

Rows inProcedure(std::string_view line) {
    return normaliseStatements(line, false);
}
Rows atModuleLevel(std::string_view line) {
    return normaliseStatements(line, true);
}

TEST(Normaliser, ModuleLevelDimBecomesPrivateAndProcedureDimStays) {
    EXPECT_EQ(atModuleLevel("Dim x As Long"), Rows{"Private x As Long"});
    EXPECT_EQ(inProcedure("Dim x As Long"), Rows{"Dim x As Long"});
    EXPECT_EQ(atModuleLevel("Dim nDim As Long"), Rows{"Private nDim As Long"});
    EXPECT_EQ(atModuleLevel("  Dim x As Long"), Rows{"  Private x As Long"});
    EXPECT_EQ(atModuleLevel("Dim WithEvents mOrder As Order"),
              Rows{"Private WithEvents mOrder As Order"});
    EXPECT_EQ(atModuleLevel("ReDim x(5)"), Rows{"ReDim x(5)"});
    EXPECT_EQ(atModuleLevel("dim x"), Rows{"dim x"});  // case-sensitive
}

TEST(Normaliser, DimRewriteSkipsStringLiterals) {
    EXPECT_EQ(rewriteModuleDim("Private Const MSG = \"Dim the lights\""),
              "Private Const MSG = \"Dim the lights\"");
    EXPECT_EQ(rewriteModuleDim("Private Const MSG = \"Please Dim the lights\""),
              "Private Const MSG = \"Please Dim the lights\"");
    EXPECT_EQ(rewriteModuleDim("Private Const Q = \"say \"\"Dim \"\"\": Dim x"),
              "Private Const Q = \"say \"\"Dim \"\"\": Private x");
    // Dim after a comment's apostrophe is no string: rewritten as the statement is.
    EXPECT_EQ(rewriteModuleDim("Dim x ' \"Dim y"), "Private x ' \"Dim y");
}

TEST(Normaliser, DimRewriteLeavesCommentsAsWritten) {
    // A comment is the user's text: commented-out code keeps its Dim, also on a line that an
    // earlier run commented out with the marker.
    EXPECT_EQ(rewriteModuleDim("Dim x ' Dim y As Long"), "Private x ' Dim y As Long");
    EXPECT_EQ(rewriteModuleDim("' Dim y As Long"), "' Dim y As Long");
    EXPECT_EQ(rewriteModuleDim("Rem Dim y As Long"), "Rem Dim y As Long");
    EXPECT_EQ(rewriteModuleDim("x = 1: Rem Dim y"), "x = 1: Rem Dim y");
    const Bytes marked = sjis("'<未使用> |Public Const T As String = \"Dim する\"");
    EXPECT_EQ(rewriteModuleDim(marked), marked);
    EXPECT_EQ(atModuleLevel(sjis("'<未使用> |Dim a As Long")),
              Rows{sjis("'<未使用> |Dim a As Long")});
}

TEST(Normaliser, SeveralNamesAreSplitWithTheStatementsKeyword) {
    EXPECT_EQ(inProcedure("Dim a As Integer, b As Long"),
              (Rows{"Dim a As Integer", "Dim b As Long"}));
    EXPECT_EQ(atModuleLevel("Dim a As Integer, b As Long"),
              (Rows{"Private a As Integer", "Private b As Long"}));
    EXPECT_EQ(atModuleLevel("Private Const A = 1, B = 2"),
              (Rows{"Private Const A = 1", "Private Const B = 2"}));
    EXPECT_EQ(atModuleLevel("Public x, y, z"), (Rows{"Public x", "Public y", "Public z"}));
    EXPECT_EQ(inProcedure("    Dim a As Long, b(5) As Long"),
              (Rows{"    Dim a As Long", "Dim b(5) As Long"}));  // no indentation after a split
    EXPECT_EQ(inProcedure("x = 1: Dim a, b"), (Rows{"x = 1: Dim a", "Dim b"}));
    EXPECT_EQ(normaliseDeclaration("Dim a, b", false), "Dim a\r\nDim b");
}

TEST(Normaliser, ThePartsGuardsKeepLinesWhole) {
    for (std::string_view line :
         {"Const S = \"a, b\"", "Dim v(1, 2) As Long", "ReDim a(5), b(6)",
          "Dim a(5) As Long, b As Long", "Private Sub P(a As Long, b As Long)",
          "Private Declare Function F Lib \"k\" (ByVal a As Long, ByVal b As Long) As Long",
          "x = 1 ' Dim a, b", "Dim a, b ' Public", "Call Foo(1, 2)", "Debug.Print a, b", "End Sub",
          "Sub Foo(a, b)"}) {
        EXPECT_EQ(inProcedure(line), Rows{Bytes(line)}) << line;
    }
    EXPECT_TRUE(stringCommaGuard("Const S = \"a, b\""));
    EXPECT_FALSE(stringCommaGuard("Const A = 1, B = 2"));
    EXPECT_TRUE(stringCommaGuard("Sub X(a, b)"));  // no declaration word
    EXPECT_TRUE(parenthesisCommaGuard("Dim a(5) As Long, b As Long"));
    EXPECT_FALSE(parenthesisCommaGuard("Dim a As Long, b(5) As Long"));
    EXPECT_FALSE(parenthesisCommaGuard("Dim a(5 As Long, b"));  // never closed
    EXPECT_FALSE(parenthesisCommaGuard("Dim a As Long"));
}

TEST(Normaliser, LinesASplitWouldBreakStayWhole) {
    // A later ", " inside parentheses, a string literal or a comment.
    for (std::string_view line :
         {"Dim a As Long, b(1, 2) As Long", "Private Const A = 1, B = \"x, y\"",
          "Dim a, b ' first, second", "Rem Dim a, b", "x = 1: Rem Dim a, b",
          "Public Const P = 1, Q = F(2, 3)"}) {
        EXPECT_EQ(inProcedure(line), Rows{Bytes(line)}) << line;
    }
    // The keyword found inside a longer word or inside a string.
    EXPECT_EQ(inProcedure("isPublic = a, b"), Rows{"isPublic = a, b"});
    EXPECT_EQ(inProcedure("myDim = x, y"), Rows{"myDim = x, y"});
    EXPECT_EQ(inProcedure("MsgBox \"Public record\", vbOKOnly"),
              Rows{"MsgBox \"Public record\", vbOKOnly"});
    // A string after the first ", " does not stop a split.
    EXPECT_EQ(inProcedure("Const A = 1, B = \"y\""), (Rows{"Const A = 1", "Const B = \"y\""}));
}

TEST(Normaliser, JapaneseLines) {
    text::ScopedCodePage cp(932);
    EXPECT_EQ(atModuleLevel(sjis("Dim 合計 As Long, 件数 As Long")),
              (Rows{sjis("Private 合計 As Long"), sjis("Private 件数 As Long")}));
    EXPECT_EQ(inProcedure(sjis("Const 見出し = \"氏名, 住所\"")),
              Rows{sjis("Const 見出し = \"氏名, 住所\"")});
    EXPECT_EQ(inProcedure(sjis("Dim a, b ' 一時, 変数")), Rows{sjis("Dim a, b ' 一時, 変数")});
    // An identifier ending in a double-byte character before the keyword: no word start.
    EXPECT_EQ(inProcedure(sjis("値Dim = a, b")), Rows{sjis("値Dim = a, b")});
    // ソ (83 5C) and ダ (83 5F) at the ends of names split like any other name.
    EXPECT_EQ(inProcedure(sjis("Dim ソ, ダ")), (Rows{sjis("Dim ソ"), sjis("Dim ダ")}));
    EXPECT_EQ(rewriteModuleDim(sjis("Private Const M = \"灯を Dim する\"")),
              sjis("Private Const M = \"灯を Dim する\""));
}

// The quick look says "may" for every line that holds one of the words a rewrite needs, byte
// for byte, wherever it stands; random lines of those words' pieces.
TEST(Normaliser, TheQuickLookFindsEveryKeywordOfTheTable) {
    const char* const pieces[] = {"Pri",  "vate", "Pub", "lic", "Prop", "erty", "Func",
                                  "tion", "Con",  "st",  "Ty",  "pe",   "Di",   "m",
                                  "Su",   "b",    "P",   "D",   " ",    "\x83", "S"};
    const char* const words[] = {"Private", "Public", "Property", "Function",
                                 "Const",   "Type",   "Dim",      "Sub"};
    std::mt19937 rng(17);
    for (int round = 0; round < 20000; ++round) {
        std::string line;
        // Up to sixty bytes: words inside, across and after each sixteen-byte block.
        for (int n = static_cast<int>(rng() % 20); n > 0; --n)
            line += pieces[rng() % std::size(pieces)];
        bool holds = false;
        for (const char* w : words) holds = holds || line.find(w) != std::string::npos;
        ASSERT_EQ(mayNeedNormalising(line), holds) << "[" << line << "]";
    }
}

}  // namespace
}  // namespace scourvane
