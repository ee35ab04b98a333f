#include "collect/declaration_kind.h"

#include <gtest/gtest.h>

#include "support/files.h"
#include "text/codepage.h"

namespace scourvane {
namespace {

using testing::sjis;

const std::vector<Bytes> kNoObjects;

Bytes name(std::string_view line, std::string_view scope,
           const std::vector<Bytes>& objects = kNoObjects, bool standard = false) {
    return declaredName(line, scope, objects, standard);
}

TEST(DeclarationKind, VariablesGiveTheirNameUpToSpaceParenthesisOrApostrophe) {
    EXPECT_EQ(name("Dim x As Long", "Dim"), "x");
    EXPECT_EQ(name("    Dim x(10) As Long", "Dim"), "x");
    EXPECT_EQ(name("Dim x ' counter", "Dim"), "x");
    EXPECT_EQ(name("Dim x'counter", "Dim"), "x");
    EXPECT_EQ(name("Dim x,y", "Dim"), "x,y");
    EXPECT_EQ(name("Dim x", "Dim"), "x");
    EXPECT_EQ(name("Private m_count As Long", "Private"), "m_count");
    EXPECT_EQ(name("Public gName As String", "Public"), "gName");
}

TEST(DeclarationKind, KeywordMustBeAWordOutsideCommentsAndStrings) {
    EXPECT_EQ(name("x = 1 ' Dim y", "Dim"), "");
    EXPECT_EQ(name("MsgBox \"Dim x\"", "Dim"), "");
    EXPECT_EQ(name("s = \"a\": Dim x As Long", "Dim"), "");  // a quote anywhere before counts
    EXPECT_EQ(name("Dim  x", "Dim"), "");                    // two spaces: the name is empty
    EXPECT_EQ(name("Dim", "Dim"), "");
    EXPECT_EQ(name("ReDim x(5)", "Dim"), "");
    EXPECT_EQ(name("Public Sub Private_Init()", "Private"), "");
    EXPECT_EQ(name("Public Sub Foo()", "Private"), "");
    EXPECT_EQ(name("Private x As Long", "Public"), "");
    EXPECT_EQ(name("dim x As Long", "Dim"), "");  // case-sensitive
    EXPECT_EQ(name("", "Dim"), "");
}

TEST(DeclarationKind, KindWordsAreRemoved) {
    EXPECT_EQ(name("Private Sub Foo(a As Long)", "Private"), "Foo");
    EXPECT_EQ(name("Public Function Total() As Long", "Public"), "Total");
    EXPECT_EQ(name("Private Declare Function GetTickCount Lib \"kernel32\" () As Long", "Private"),
              "GetTickCount");
    EXPECT_EQ(name("Public Declare Sub Sleep Lib \"kernel32\" (ByVal ms As Long)", "Public"),
              "Sleep");
    EXPECT_EQ(name("Private Const MAXROWS = 10", "Private"), "MAXROWS");
    EXPECT_EQ(name("Public Type POINTAPI", "Public"), "POINTAPI");
    EXPECT_EQ(name("Private Property Get Value()", "Private"), "Value");
    EXPECT_EQ(name("Private Property Set Value(v)", "Private"), "Value");
    EXPECT_EQ(name("Public Property Let Value(ByVal v As Long)", "Public"), "Value");
    // Each kind word goes at most once, in chain order.
    EXPECT_EQ(name("Private Sub Sub1()", "Private"), "Sub1");
    EXPECT_EQ(name("Private Type Type1", "Private"), "Type1");
}

TEST(DeclarationKind, WithEventsGivesTheVariableAndUnjudgedKindsGiveNothing) {
    EXPECT_EQ(name("Private WithEvents mOrder As Order", "Private"), "mOrder");
    EXPECT_EQ(name("Dim WithEvents conn As Connection", "Dim"), "conn");
    EXPECT_EQ(name("Public Event Shipped(ByVal id As Long)", "Public"), "");
    EXPECT_EQ(name("Private Enum Colour", "Private"), "");
    EXPECT_EQ(name("Public Static Sub Tick()", "Public"), "");
    EXPECT_EQ(name("Private Static Function Next1() As Long", "Private"), "");
    // Only the word itself: a name that starts with those letters is a name.
    EXPECT_EQ(name("Private Events As Long", "Private"), "Events");
    EXPECT_EQ(name("Private Enumerator As Long", "Private"), "Enumerator");
}

TEST(DeclarationKind, SubMainOfAStandardModuleIsNeverJudged) {
    EXPECT_EQ(name("Public Sub Main()", "Public", kNoObjects, true), "");
    EXPECT_EQ(name("Private Sub Main()", "Private", kNoObjects, true), "");
    EXPECT_EQ(name("Public Sub main()", "Public", kNoObjects, true), "");
    // In a form or class module Main is an ordinary procedure.
    EXPECT_EQ(name("Public Sub Main()", "Public", kNoObjects, false), "Main");
    // Only a Sub: a function, a variable or a longer name is judged.
    EXPECT_EQ(name("Public Function Main() As Long", "Public", kNoObjects, true), "Main");
    EXPECT_EQ(name("Public Main As Long", "Public", kNoObjects, true), "Main");
    EXPECT_EQ(name("Public Sub MainLoop()", "Public", kNoObjects, true), "MainLoop");
    EXPECT_EQ(name("Private Declare Sub Main Lib \"x\" ()", "Private", kNoObjects, true), "Main");
}

TEST(DeclarationKind, ObjectNamesTurnAwayEveryKindIgnoringCase) {
    const std::vector<Bytes> objects{"Form", "Form1", "Command1"};
    EXPECT_EQ(name("Private Sub Command1_Click()", "Private", objects), "");
    EXPECT_EQ(name("Private Sub Form_Load()", "Private", objects), "");
    EXPECT_EQ(name("Private Function FormatName()", "Private", objects), "");
    EXPECT_EQ(name("Dim formIndex As Long", "Dim", objects), "");
    EXPECT_EQ(name("Private Sub COMMAND1_GotFocus()", "Private", objects), "");
    EXPECT_EQ(name("Private total As Long", "Private", objects), "total");

    EXPECT_TRUE(isObjectName("mOrder_Shipped", {"mOrder_"}));
    EXPECT_FALSE(isObjectName("mOrderCount", {"mOrder_"}));
    EXPECT_FALSE(isObjectName("anything", {}));
    EXPECT_FALSE(isObjectName("anything", {""}));  // an empty row matches nothing
}

TEST(DeclarationKind, StandardModuleNamesIgnoreCase) {
    EXPECT_TRUE(isStandardModuleName("Tools.bas"));
    EXPECT_TRUE(isStandardModuleName("x"));
    EXPECT_TRUE(isStandardModuleName(""));
    EXPECT_FALSE(isStandardModuleName("Main.frm"));
    EXPECT_FALSE(isStandardModuleName("MAIN.FRM"));
    EXPECT_FALSE(isStandardModuleName("Order.Cls"));
    EXPECT_FALSE(isStandardModuleName("frm"));
}

class DeclarationKindCp932 : public ::testing::Test {
  protected:
    text::ScopedCodePage cp{932};
};

TEST_F(DeclarationKindCp932, JapaneseNamesCommentsAndStrings) {
    EXPECT_EQ(name(sjis("Dim 合計 As Long"), "Dim"), sjis("合計"));
    EXPECT_EQ(name(sjis("Private 顧客名(10) As String"), "Private"), sjis("顧客名"));
    EXPECT_EQ(name(sjis("Dim 件数 ' 件数を数える"), "Dim"), sjis("件数"));
    EXPECT_EQ(name(sjis("x = 1 ' 変数 Dim y"), "Dim"), "");
    EXPECT_EQ(name(sjis("MsgBox \"表示 Dim y\""), "Dim"), "");
    // A name ending in ソ (83 5C) or ダ (83 5F), or holding ア (83 41): trail bytes are no stop.
    EXPECT_EQ(name(sjis("Public ソ As Long"), "Public"), sjis("ソ"));
    EXPECT_EQ(name(sjis("Private Sub ダ()"), "Private"), sjis("ダ"));
    const std::vector<Bytes> objects{sjis("ボタン")};
    EXPECT_EQ(name(sjis("Private Sub ボタン_Click()"), "Private", objects), "");
}

TEST_F(DeclarationKindCp932, KeywordAfterALeadByteIsNotFound) {
    // The padded keyword " Dim " must start where a character starts.
    EXPECT_EQ(name(sjis("表 Dim x"), "Dim"), "x");
    // 0x83 0x20 is no character; a lead byte followed by a space still swallows it.
    const std::string broken = std::string("\x83") + " Dim x";
    EXPECT_EQ(name(broken, "Dim"), "");
}

}  // namespace
}  // namespace scourvane
