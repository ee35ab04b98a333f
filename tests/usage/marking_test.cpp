#include "usage/marking.h"

#include <gtest/gtest.h>

#include "support/files.h"
#include "text/codepage.h"

namespace scourvane {
namespace {

using testing::sjis;
using Lines = std::vector<text::Bytes>;

// markDeclaration on the lines, through the passes' rows.
std::size_t mark(Lines& lines, std::size_t row, std::span<const std::string_view> prefixes,
                 std::string_view marker) {
    Rows rows(lines);
    const std::size_t last = markDeclaration(rows, row, prefixes, marker);
    lines.assign(rows.views().begin(), rows.views().end());
    return last;
}

TEST(UnusedMarker, FollowsTheActiveCodePage) {
    {
        text::ScopedCodePage cp{932};
        EXPECT_EQ(unusedMarker(), "'<\x96\xa2\x8e\x67\x97\x70> |");
    }
    {
        // No form of the three characters in the Western code page: "?" as the platform's
        // conversion writes it, and the marked line is still a comment.
        text::ScopedCodePage cp{1252};
        EXPECT_EQ(unusedMarker(), "'<?\?\?> |");
    }
}

TEST(MarkDeclaration, LineOnlyUnlessItOpensABlockIndentedOrNot) {
    const std::string m = "M|";
    Lines rows{"Private x As Long", "Private Sub Foo()", "End Sub"};
    mark(rows, 0, kPrivateBlockPrefixes, m);
    EXPECT_EQ(rows, (Lines{"M|Private x As Long", "Private Sub Foo()", "End Sub"}));

    // A header indented inside an #If block opens its block; its indented end ends it.
    rows = {"#If Win32 Then", " \tPrivate Sub Foo()", "    x = 1", "\t  End Sub", "#End If",
            "End Sub"};
    EXPECT_EQ(mark(rows, 1, kPrivateBlockPrefixes, m), 3u);
    EXPECT_EQ(rows, (Lines{"#If Win32 Then", "M| \tPrivate Sub Foo()", "M|    x = 1",
                           "M|\t  End Sub", "#End If", "End Sub"}));

    // A header that holds its own end is a block of one line.
    rows = {"Private Sub Foo(): End Sub", "Private Sub Bar()", "End Sub"};
    EXPECT_EQ(mark(rows, 0, kPrivateBlockPrefixes, m), 0u);
    rows = {"Private Sub Foo() ' : End Sub", "    s = \": End Sub\"", "End Sub"};
    EXPECT_EQ(mark(rows, 0, kPrivateBlockPrefixes, m), 2u);

    // The public prefixes do not open a block for the private pass, and the reverse.
    rows = {"Public Sub Foo()", "End Sub"};
    mark(rows, 0, kPrivateBlockPrefixes, m);
    EXPECT_EQ(rows[1], "End Sub");
    rows = {"Private Sub Foo()", "End Sub"};
    mark(rows, 0, kPublicBlockPrefixes, m);
    EXPECT_EQ(rows[1], "End Sub");
}

TEST(MarkDeclaration, BlocksEndAtTheFirstEndLineOrAtTheLastRow) {
    const std::string m = "M|";
    Lines rows{"x", "Private Function F() As Long", "    End If", "End Type", "After"};
    mark(rows, 1, kPrivateBlockPrefixes, m);
    // Any end prefix ends any block.
    EXPECT_EQ(rows, (Lines{"x", "M|Private Function F() As Long", "M|    End If", "M|End Type",
                           "After"}));

    rows = {"Public Type P", "    x As Long", "End Typewriter", "y"};
    mark(rows, 0, kPublicBlockPrefixes, m);
    EXPECT_EQ(rows, (Lines{"M|Public Type P", "M|    x As Long", "M|End Typewriter", "y"}));

    rows = {"Public Property Get P()", "    P = 1", "M|End Property"};
    mark(rows, 0, kPublicBlockPrefixes, m);
    // A line already marked begins with the marker, not with "End": marking runs to the end,
    // and puts a second marker in front of the first.
    EXPECT_EQ(rows, (Lines{"M|Public Property Get P()", "M|    P = 1", "M|M|End Property"}));
}

TEST(BlockEnd, IsTheFirstEndLineBeforeAnyOtherHeader) {
    const Lines rows{"Public Sub A()",
                     "  x = 1",
                     "  End Sub",
                     "Private Type T",
                     "    n As Long",
                     "Friend Function F()",
                     "End Function",
                     "Public Sub Open()",
                     "    Static n As Long",
                     "Public Static Property Get P()",
                     "End Property"};
    const std::vector<std::string_view> views(rows.begin(), rows.end());
    EXPECT_EQ(blockEnd(views, 0), 2u);
    EXPECT_EQ(blockEnd(views, 3), std::nullopt);  // F's header comes first
    EXPECT_EQ(blockEnd(views, 5), 6u);
    EXPECT_EQ(blockEnd(views, 7), std::nullopt);
    EXPECT_EQ(blockEnd(views, 9), 10u);
    EXPECT_EQ(blockEnd(views, 10), std::nullopt);  // no rows after the last
}

TEST(Demotion, ReplacesPublicOnlyWhereItBeginsAWordOutsideStrings) {
    EXPECT_EQ(demoted("Public x As Long"), "Private x As Long");
    EXPECT_EQ(demoted("Public isPublic As Boolean"), "Private isPublic As Boolean");
    EXPECT_EQ(demoted("Public Sub MakePublic ()"), "Private Sub MakePublic ()");
    EXPECT_EQ(demoted("Public Const T = \"Public data\""), "Private Const T = \"Public data\"");
    EXPECT_EQ(demoted("Public Const T = \"a\"\"Public \" ' was Public x"),
              "Private Const T = \"a\"\"Public \" ' was Private x");
    // In a trailing comment it is still replaced, also after a quote in the comment.
    EXPECT_EQ(demoted("Public x As Long ' \"Public y\", Public z"),
              "Private x As Long ' \"Private y\", Private z");
    EXPECT_EQ(demoted("Public x_Public As Long"), "Private x_Public As Long");
    EXPECT_EQ(demoted("Public  x"), "Private  x");
    EXPECT_EQ(demoted("x = 1"), "x = 1");
}

TEST(Demotion, BehindMarkersTheStatementIsDemotedAsCode) {
    // A declaration inside a block marked earlier in the same decisions: its string keeps its
    // text although the whole row is now a comment.
    EXPECT_EQ(demotedBehindMarkers("M|M|Public Const T = \"Public data\" ' Public x", "M|"),
              "M|M|Private Const T = \"Public data\" ' Private x");
    EXPECT_EQ(demotedBehindMarkers("Public x", "M|"), "Private x");
    EXPECT_EQ(demotedBehindMarkers("' Public x", "M|"), "' Private x");
}

TEST(Demotion, JapaneseIdentifiersAndTrailBytes) {
    text::ScopedCodePage cp{932};
    // A Japanese character is part of an identifier: "表Public " begins no word.
    EXPECT_EQ(demoted(sjis("Public 表Public As Long")), sjis("Private 表Public As Long"));
    // "ー" is 81 5B, "ソ" 83 5C: trail bytes are no quotes or apostrophes.
    EXPECT_EQ(demoted(sjis("Public Const ソート = \"ソPublic \" ' Public x")),
              sjis("Private Const ソート = \"ソPublic \" ' Private x"));
}

}  // namespace
}  // namespace scourvane
