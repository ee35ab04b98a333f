#include "rules/occurrence.h"

#include <gtest/gtest.h>

#include <string>

#include "support/files.h"
#include "text/codepage.h"

namespace scourvane {
namespace {

using testing::sjis;

TEST(Occurrence, AcceptsExactlyTheFifteenBoundaryPairs) {
    const std::string boundaries = " (),.";
    const std::string others = "\t:\"!$=+-&_a1";
    int accepted = 0;
    for (char before : boundaries + others) {
        for (char after : boundaries + others) {
            std::string line = std::string("x") + before + "nm" + after + "y";
            bool expected = isAcceptedBoundary(before, after);
            accepted += expected;
            EXPECT_EQ(usesName(line, "nm"), expected) << "[" << line << "]";
        }
    }
    EXPECT_EQ(accepted, 15);
    // The table, row by row.
    for (char after : std::string(" ().,")) EXPECT_TRUE(isAcceptedBoundary(' ', after));
    for (char before : std::string("(.")) {
        EXPECT_FALSE(isAcceptedBoundary(before, '('));
        for (char after : std::string(" ).,")) EXPECT_TRUE(isAcceptedBoundary(before, after));
    }
    EXPECT_TRUE(isAcceptedBoundary(',', ' '));
    EXPECT_TRUE(isAcceptedBoundary(',', '.'));
    EXPECT_FALSE(isAcceptedBoundary(',', '('));
    EXPECT_FALSE(isAcceptedBoundary(',', ')'));
    EXPECT_FALSE(isAcceptedBoundary(',', ','));
}

TEST(Occurrence, CallsAndArgumentsFollowTheTable) {
    EXPECT_FALSE(usesName("Call obj.Foo(1)", "Foo"));    // "." then "("
    EXPECT_TRUE(usesName("x = Foo(1)", "Foo"));          // " " then "("
    EXPECT_FALSE(usesName("x = Bar(Foo(1))", "Foo"));    // "(" then "("
    EXPECT_FALSE(usesName("x = Bar(1,Foo(1))", "Foo"));  // "," then "("
    EXPECT_FALSE(usesName("x = Bar(1,Foo)", "Foo"));     // "," then ")"
    EXPECT_FALSE(usesName("x = Bar(1,Foo,2)", "Foo"));   // "," then ","
    EXPECT_TRUE(usesName("x = Bar(1,Foo.Y)", "Foo"));    // "," then "."
    EXPECT_TRUE(usesName("x = Bar(1, Foo)", "Foo"));
    EXPECT_TRUE(usesName("x = Bar(Foo)", "Foo"));
    EXPECT_TRUE(usesName("Foo(1) = 2", "Foo"));  // first word: the padding is its boundary
    EXPECT_TRUE(usesName("Foo", "Foo"));
    EXPECT_TRUE(usesName("x = Foo", "Foo"));
    EXPECT_FALSE(usesName("\tFoo = 1", "Foo"));  // a tab is no boundary
    EXPECT_FALSE(usesName("x = Foo$", "Foo"));
    EXPECT_FALSE(usesName("x = a!Foo", "Foo"));
    EXPECT_FALSE(usesName("x = Foo:y = 1", "Foo"));
}

TEST(Occurrence, OnlyWholeWordsInTheExactCase) {
    EXPECT_FALSE(usesName("x = FooBar + BarFoo", "Foo"));
    EXPECT_FALSE(usesName("x = foo", "Foo"));
    EXPECT_FALSE(usesName("x = FOO", "Foo"));
    EXPECT_TRUE(usesName("x = FooBar + Foo", "Foo"));  // a later occurrence can count
    EXPECT_FALSE(usesName("", "Foo"));
    EXPECT_FALSE(usesName("x = 1", ""));
}

TEST(Occurrence, ErrorLabelLinesUseNoName) {
    EXPECT_FALSE(usesName("On Error GoTo Foo_Error", "Foo"));
    EXPECT_FALSE(usesName("x = Foo + Bar_Error", "Foo"));
    EXPECT_TRUE(usesName("x = Foo + Bar_error", "Foo"));  // exact case only
}

TEST(Occurrence, TheApostropheRule) {
    // A marked line or a comment line: the apostrophe stands before every occurrence.
    EXPECT_FALSE(usesName(sjis("'<未使用> |    Dim i As Long"), "i"));
    EXPECT_FALSE(usesName("    ' uses Foo here", "Foo"));
    // A comment after the first occurrence does not protect the names in it.
    EXPECT_TRUE(usesName("x = FooBar ' see Foo", "Foo"));
    EXPECT_TRUE(usesName("x = Foo ' Foo", "Foo"));
    // An apostrophe in a string counts as the start of a comment.
    EXPECT_FALSE(usesName("MsgBox \"it's\" & Foo", "Foo"));
    // Rem is not recognised.
    EXPECT_TRUE(usesName("Rem Foo is old", "Foo"));
}

TEST(Occurrence, NamesInsideStringsCountOnlyBetweenAcceptedPairs) {
    EXPECT_TRUE(usesName("MsgBox \"call Foo now\"", "Foo"));
    EXPECT_FALSE(usesName("MsgBox \"Foo\"", "Foo"));
    EXPECT_FALSE(usesName("MsgBox \"the Foo\"", "Foo"));
}

class OccurrenceCp932 : public ::testing::Test {
  protected:
    text::ScopedCodePage cp{932};
};

TEST_F(OccurrenceCp932, TrailBytesAreNeverTakenForCharacters) {
    // "ア" is 83 41: its trail byte looks like "A". A match on it is no occurrence.
    EXPECT_FALSE(usesName(sjis("x = ア"), "A"));
    EXPECT_TRUE(usesName(sjis("x = ア + A"), "A"));
    // "ダ" is 83 5F ("_"): "ダError" holds no "_Error".
    EXPECT_TRUE(usesName(sjis("x = Foo + ダError"), "Foo"));
    // Japanese names are matched as whole characters.
    EXPECT_TRUE(usesName(sjis("合計 = 合計 + 1"), sjis("合計")));
    EXPECT_FALSE(usesName(sjis("総合計 = 1"), sjis("合計")));
}

}  // namespace
}  // namespace scourvane
