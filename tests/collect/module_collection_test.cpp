#include "collect/module_collection.h"

#include <gtest/gtest.h>

#include "base/run_error.h"
#include "collect/declaration_kind.h"
#include "support/files.h"
#include "support/recording_window.h"
#include "text/codepage.h"

namespace scourvane {
namespace {

using testing::readFile;
using testing::sjis;
using testing::writeFile;
using Rows = std::vector<Bytes>;

// Lines joined with CR LF after each, as the collection writes them.
std::string crlf(std::initializer_list<std::string_view> lines) {
    std::string out;
    for (auto l : lines) (out += l) += "\r\n";
    return out;
}

std::string lf(std::initializer_list<std::string_view> lines) {
    std::string out;
    for (auto l : lines) (out += l) += "\n";
    return out;
}

// The pure collection of a module's text; the object table starts empty.
std::string collect(std::string_view content, Rows* objectsOut = nullptr) {
    Rows objects;
    std::string out = collectModuleText(content, objects);
    if (objectsOut) *objectsOut = objects;
    return out;
}

class ModuleCollectionFile : public ::testing::Test {
  protected:
    ModuleCollectionFile() { session.intake.workingCopy = dir.path(); }
    std::vector<std::string> progressValues() const {
        std::vector<std::string> values;
        for (const auto& e : window.events)
            if (e.kind == "progress") values.push_back(e.text);
        return values;
    }
    testing::TempDir dir;
    Session session;
    testing::RecordingWindow window;
    RunContext ctx{session, window};
};

TEST_F(ModuleCollectionFile, MainFormRoad) {
    // LF terminators and no terminator after the last line, as a checkout on Linux may have.
    writeFile(dir / "Main.frm",
              "Begin VB.Form Form1\n   Begin VB.CommandButton Command1\n"
              "Attribute VB_Name = \"Form1\"\nOption Explicit\nDim a As Integer, b As Long\n"
              "Private Sub Command1_Click()\n    Dim i As Long\n    a = 1\nEnd Sub");
    collectModule(ctx, "Main.frm");

    EXPECT_EQ(session.objects, (Rows{"Form", "Form1", "Command1"}));
    EXPECT_EQ(readFile(dir / "Main.frm"),
              crlf({"Begin VB.Form Form1", "   Begin VB.CommandButton Command1",
                    "Attribute VB_Name = \"Form1\"", "Option Explicit", "Private a As Integer",
                    "Private b As Long", "Private Sub Command1_Click()", "    Dim i As Long",
                    "    a = 1", "End Sub"}));
    // One yield per logical line; the bar ends full (bytes against bytes), then goes back to 0.
    EXPECT_EQ(window.yields, 9);
    const auto values = progressValues();
    ASSERT_GE(values.size(), 3u);
    EXPECT_EQ(values.front(), "0");
    EXPECT_EQ(values[values.size() - 2], "100");
    EXPECT_EQ(values.back(), "0");
    EXPECT_TRUE(window.errors.empty());
    // What the private pass then asks of the recogniser.
    EXPECT_EQ(declaredName("Private Sub Command1_Click()", "Private", session.objects, false), "");
    EXPECT_EQ(declaredName("Private b As Long", "Private", session.objects, false), "b");
}

TEST_F(ModuleCollectionFile, SecondRunGivesTheSameBytes) {
    text::ScopedCodePage cp(932);
    const std::string source = lf({"VERSION 5.00",
                                   "Begin VB.Form frmMain ",
                                   "   Caption = \"Begin here\"",
                                   "   Begin VB.CommandButton cmdOK",
                                   "      Caption = \"OK\"",
                                   "   End",
                                   "End",
                                   "Attribute VB_Name = \"frmMain\"",
                                   "Option Explicit",
                                   "Implements IShape",
                                   "Dim WithEvents mOrder As Order",
                                   "Dim a As Integer, b As Long _",
                                   "    , c As String",
                                   "Private Const T = \"Dim, it\"",
                                   "Public x, y(1, 2)",
                                   "",
                                   "   ",
                                   sjis("Private 名前 As String ' 氏名, 住所"),
                                   "Friend Sub Go(a As Long, _",
                                   "   b As Long)",
                                   "  Dim i, j",
                                   "End Sub",
                                   "Private Sub mOrder_Shipped()",
                                   sjis("  MsgBox \"出荷ダ\", , \"ソ\" _"),
                                   sjis("      & \"了\""),
                                   "End Sub",
                                   "x _"});
    writeFile(dir / "frmMain.frm", source);
    collectModule(ctx, "frmMain.frm");
    const std::string first = readFile(dir / "frmMain.frm");
    const Rows objects = session.objects;
    collectModule(ctx, "frmMain.frm");
    EXPECT_EQ(readFile(dir / "frmMain.frm"), first);
    EXPECT_EQ(session.objects, objects);
    EXPECT_EQ(objects, (Rows{"Form", "frmMain", "here\"", "cmdOK", "IShape_", "mOrder_"}));
    // The first run did its work: joined, rewritten, split; the Friend procedure's Dim stays.
    for (std::string_view part :
         {"\r\nPrivate b As Long \r\nPrivate c As String\r\n", "\r\nPublic x, y(1, 2)\r\n",
          "\r\nFriend Sub Go(a As Long, b As Long)\r\n  Dim i\r\nDim j\r\n", "\r\nx \r\n"})
        EXPECT_NE(first.find(part), std::string::npos) << part;
}

TEST_F(ModuleCollectionFile, MissingFileKeepsThePreviousObjectsAndWritesNothing) {
    session.objects = {"Form", "Form1"};
    try {
        collectModule(ctx, "Gone.bas");
        FAIL() << "no error";
    } catch (const RunError& e) {
        EXPECT_EQ(e.number(), err::kFileNotFound);
    }
    EXPECT_EQ(session.objects, (Rows{"Form", "Form1"}));
    EXPECT_FALSE(fs::exists(dir / "Gone.bas"));
    EXPECT_THROW(collectModule(ctx, "..\\x.bas"), RunError);  // never outside the copy
}

TEST_F(ModuleCollectionFile, FailedWriteOrClosingLeavesTheFileAsItWas) {
    const std::string source = "Attribute VB_Name = \"T\"\nDim a, b\n";
    writeFile(dir / "T.cls", source);
    fs::permissions(dir / "T.cls", fs::perms::owner_read);
    try {
        collectModule(ctx, "T.cls");
        FAIL() << "no error";
    } catch (const RunError& e) {
        EXPECT_EQ(e.number(), err::kPermissionDenied);
    }
    EXPECT_EQ(readFile(dir / "T.cls"), source);
    EXPECT_EQ(session.objects, Rows{"Class"});  // the rows added before the error stay

    fs::permissions(dir / "T.cls", fs::perms::owner_all);
    window.onYield = [this] { return window.yields < 2; };
    EXPECT_THROW(collectModule(ctx, "T.cls"), Closing);
    EXPECT_EQ(readFile(dir / "T.cls"), source);
}

TEST_F(ModuleCollectionFile, EmptyFileStaysEmptyWithoutProgress) {
    writeFile(dir / "Empty.bas", "");
    collectModule(ctx, "Empty.bas");
    EXPECT_EQ(readFile(dir / "Empty.bas"), "");
    EXPECT_EQ(window.yields, 0);
    EXPECT_TRUE(session.objects.empty());
}

TEST_F(ModuleCollectionFile, ProgressCountsBytesOfDoubleByteLines) {
    text::ScopedCodePage cp(932);
    std::string source = "Attribute VB_Name = \"J\"\r\n";
    for (int i = 0; i < 50; ++i) source += sjis("' 日本語の説明文です\r\n");
    writeFile(dir / "J.bas", source);
    collectModule(ctx, "J.bas");
    const auto values = progressValues();
    ASSERT_GE(values.size(), 2u);
    EXPECT_EQ(values[values.size() - 2], "100");
    EXPECT_EQ(readFile(dir / "J.bas"), source);
}

TEST(ModuleCollection, ObjectTableStartsWithTheKindWord) {
    Rows objects{"old"};
    startObjectTable(objects, "Main.frm");
    EXPECT_EQ(objects, Rows{"Form"});
    startObjectTable(objects, "Main.FrM");
    EXPECT_EQ(objects, Rows{"Form"});
    startObjectTable(objects, "Order.cls");
    EXPECT_EQ(objects, Rows{"Class"});
    startObjectTable(objects, "Tools.bas");
    EXPECT_TRUE(objects.empty());
}

TEST(ModuleCollection, FileHeaderEndsAtAttributeOrOptionExplicitInTheFirstColumn) {
    // No such line: everything is header, nothing joined or normalised.
    Rows objects;
    const std::string allHeader = lf({"Begin VB.Form F ", "Dim a, b", "x _", "  y"});
    EXPECT_EQ(collect(allHeader, &objects), crlf({"Begin VB.Form F", "Dim a, b", "x _", "  y"}));
    EXPECT_EQ(objects, Rows{"F"});

    // Indented or other case does not end the header.
    EXPECT_EQ(collect(lf({" Attribute VB_Name = \"M\"", "option explicit", "Dim a, b"})),
              crlf({" Attribute VB_Name = \"M\"", "option explicit", "Dim a, b"}));
    EXPECT_EQ(collect(lf({"Option Explicit", "Dim a, b"})),
              crlf({"Option Explicit", "Private a", "Private b"}));

    // Header lines after the first code line are code, not object blocks.
    EXPECT_EQ(collect(lf({"Attribute VB_Name = \"M\"", "Begin VB.Form F"}), &objects),
              crlf({"Attribute VB_Name = \"M\"", "Begin VB.Form F"}));
    EXPECT_TRUE(objects.empty());
}

TEST(ModuleCollection, ContinuedLinesAreJoined) {
    const std::string start = "Attribute VB_Name = \"M\"\n";
    EXPECT_EQ(collect(start + lf({"Dim a As _", "        Long"})),
              crlf({"Attribute VB_Name = \"M\"", "Private a As Long"}));
    EXPECT_EQ(collect(start + lf({"x = 1 + _", "  2 + _", "  3"})),
              crlf({"Attribute VB_Name = \"M\"", "x = 1 + 2 + 3"}));
    // The last line of the file: the "_" goes, the space stays.
    EXPECT_EQ(collect(start + "x = 1 _"), crlf({"Attribute VB_Name = \"M\"", "x = 1 "}));
    // An empty continuation ends the joining; one of spaces keeps them.
    EXPECT_EQ(collect(start + lf({"x = _", "", "y"})),
              crlf({"Attribute VB_Name = \"M\"", "x = ", "y"}));
    EXPECT_EQ(collect(start + lf({"x = _", "   ", "y"})),
              crlf({"Attribute VB_Name = \"M\"", "x =    ", "y"}));
    // No space before the "_": not continued.
    EXPECT_EQ(collect(start + lf({"x = a_", "y"})),
              crlf({"Attribute VB_Name = \"M\"", "x = a_", "y"}));
    // A blank line is never joined, even after a header-like line.
    EXPECT_EQ(collect(start + lf({"", "  ", "x"})),
              crlf({"Attribute VB_Name = \"M\"", "", "  ", "x"}));
}

TEST(ModuleCollection, ContinuationWithDoubleByteCharacters) {
    text::ScopedCodePage cp(932);
    const std::string start = "Attribute VB_Name = \"M\"\n";
    // ダ is 83 5F: a line ending in it is not continued, one ending in "ダ _" is.
    EXPECT_EQ(collect(start + sjis("s = \"ダ\" & ダ\n次\n")),
              crlf({"Attribute VB_Name = \"M\"", sjis("s = \"ダ\" & ダ"), sjis("次")}));
    EXPECT_EQ(collect(start + sjis("s = ダ _\n    & ソ\n")),
              crlf({"Attribute VB_Name = \"M\"", sjis("s = ダ & ソ")}));
    // ソ is 83 5C: ends a line like any character.
    EXPECT_EQ(collect(start + sjis("' ソ\n' 表 _ソ\n")),
              crlf({"Attribute VB_Name = \"M\"", sjis("' ソ"), sjis("' 表 _ソ")}));
    // A ", " in the trailing comment keeps the line whole; a comment without one goes with
    // the last statement.
    EXPECT_EQ(collect(start + sjis("Dim 合計, 件数 ' 集計, 表示\n")),
              crlf({"Attribute VB_Name = \"M\"", sjis("Private 合計, 件数 ' 集計, 表示")}));
    EXPECT_EQ(
        collect(start + sjis("Dim 合計, 件数 _\n  ' 集計\n")),
        crlf({"Attribute VB_Name = \"M\"", sjis("Private 合計"), sjis("Private 件数 ' 集計")}));
    EXPECT_EQ(collect(start + sjis("Dim 合計, 件数\n")),
              crlf({"Attribute VB_Name = \"M\"", sjis("Private 合計"), sjis("Private 件数")}));
}

TEST(ModuleCollection, DeclarationsSectionEndsAtTheFirstProcedureHeader) {
    const std::string start = "Attribute VB_Name = \"M\"\n";
    // An indented header, blank lines and declarations keep the section going.
    EXPECT_EQ(
        collect(start + lf({"  Private Sub X()", "", "Dim a", "Sub Y()", "Dim b", "End Sub"})),
        crlf({"Attribute VB_Name = \"M\"", "  Private Sub X()", "", "Private a", "Sub Y()", "Dim b",
              "End Sub"}));
    for (std::string_view header :
         {"Sub A()", "Private Sub A()", "Public Sub A()", "Function A()", "Private Function A()",
          "Public Function A()", "Property Get A()", "Private Property Let A(v)",
          "Public Property Set A(v)", "Friend Sub A()", "Friend Function A()", "Static Sub A()",
          "Private Static Function A()", "Public Static Sub A()",
          "Friend Static Property Get A()"}) {
        EXPECT_TRUE(isProcedureHeader(header)) << header;
        EXPECT_EQ(collect(start + std::string(header) + "\n  Dim i\n"),
                  crlf({"Attribute VB_Name = \"M\"", header, "  Dim i"}))
            << header;
    }
    for (std::string_view other :
         {"  Sub A()", "Private Declare Sub A Lib \"x\" ()", "Public Type T", "Private Const S = 1",
          "Friend x", "Static x", "Subtotal = 1", "Private Static", "Public Event E()",
          "Private Enum E", "Public SubTotal As Long"}) {
        EXPECT_FALSE(isProcedureHeader(other)) << other;
    }
}

TEST(ModuleCollection, EventSourcesOfTheDeclarationsSectionAreObjects) {
    Rows objects{"Class"};
    const std::string out = collectModuleText(
        lf({"Attribute VB_Name = \"C\"", "Implements IShape", "Dim WithEvents mOrder As Order",
            "Public WithEvents conn As Connection, x As Long", "Sub Go()",
            "Private WithEvents late As Order", "End Sub"}),
        objects);
    EXPECT_EQ(objects, (Rows{"Class", "IShape_", "mOrder_", "conn_"}));
    EXPECT_EQ(
        out, crlf({"Attribute VB_Name = \"C\"", "Implements IShape",
                   "Private WithEvents mOrder As Order", "Public WithEvents conn As Connection",
                   "Public x As Long", "Sub Go()", "Private WithEvents late As Order", "End Sub"}));
    EXPECT_EQ(declaredName("Private Sub mOrder_Shipped()", "Private", objects, false), "");
    EXPECT_EQ(declaredName("Private Sub IShape_Draw()", "Private", objects, false), "");
    EXPECT_EQ(declaredName("Private WithEvents mOrder As Order", "Private", objects, false),
              "mOrder");
}

TEST(ModuleCollection, TerminatorsAndProgressPerLogicalLine) {
    std::vector<std::size_t> consumed;
    Rows objects;
    const std::string content = "Attribute VB_Name = \"M\"\r\nx = _\r\n  1\ny\r";
    const std::string out =
        collectModuleText(content, objects, [&](std::size_t n) { consumed.push_back(n); });
    // A lone CR stays in its line.
    EXPECT_EQ(out, crlf({"Attribute VB_Name = \"M\"", "x = 1", "y\r"}));
    EXPECT_EQ(consumed, (std::vector<std::size_t>{25, 36, content.size()}));
}

TEST(ModuleCollection, NoSixteenBitLimits) {
    std::string content = "Attribute VB_Name = \"Big\"\n";
    std::string longDeclaration = "Dim v0";
    for (int i = 1; i < 40000; ++i) longDeclaration += ", v" + std::to_string(i);
    content += longDeclaration + "\n";
    for (int i = 0; i < 40000; ++i) content += "x = " + std::to_string(i) + "\n";
    std::size_t calls = 0;
    Rows objects;
    const std::string out = collectModuleText(content, objects, [&](std::size_t) { ++calls; });
    EXPECT_EQ(calls, 40002u);
    const auto lines = std::count(out.begin(), out.end(), '\n');
    EXPECT_EQ(lines, 1 + 40000 + 40000);
    EXPECT_NE(out.find("\r\nPrivate v39999\r\nx = 0\r\n"), std::string::npos);
}

}  // namespace
}  // namespace scourvane
