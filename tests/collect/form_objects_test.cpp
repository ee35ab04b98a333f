#include "collect/form_objects.h"

#include <gtest/gtest.h>

#include "support/files.h"
#include "text/codepage.h"

namespace scourvane {
namespace {

using testing::sjis;
using Rows = std::vector<Bytes>;

// Runs the step over the lines and returns them as the step left them.
std::vector<std::string> run(std::vector<std::string> lines, Rows& objects) {
    for (auto& line : lines) formObjectStep(line, objects);
    return lines;
}

TEST(FormObjects, BlockOpeningLinesRecordTheirLastWordOnceInFileOrder) {
    Rows objects{"Form"};
    const auto lines = run({"VERSION 5.00", "Begin VB.Form Form1", "   Caption = \"Form1\"",
                            "   Begin VB.CommandButton Command1", "      Index = 0", "   End",
                            "   Begin VB.CommandButton Command1", "   Begin VB.Menu mnuFile",
                            "   Begin VB.CommandButton command1", "End"},
                           objects);
    EXPECT_EQ(objects, (Rows{"Form", "Form1", "Command1", "mnuFile", "command1"}));
    EXPECT_EQ(lines[1], "Begin VB.Form Form1");  // unchanged
}

TEST(FormObjects, OneTrailingSpaceIsDroppedAndNeverAnEmptyName) {
    Rows objects;
    std::string line = "Begin VB.TextBox Text1 ";
    formObjectStep(line, objects);
    EXPECT_EQ(line, "Begin VB.TextBox Text1");
    EXPECT_EQ(objects, Rows{"Text1"});

    // Two trailing spaces: one goes, and the empty text after the last space is no name.
    line = "Begin VB.TextBox Text2  ";
    formObjectStep(line, objects);
    EXPECT_EQ(line, "Begin VB.TextBox Text2 ");
    EXPECT_EQ(objects, Rows{"Text1"});

    line = "Begin ";
    formObjectStep(line, objects);
    EXPECT_EQ(line, "Begin");
    EXPECT_EQ(objects, Rows{"Text1"});

    // A line not concerned keeps its trailing space.
    line = "   Caption = \"x\" ";
    formObjectStep(line, objects);
    EXPECT_EQ(line, "   Caption = \"x\" ");
}

TEST(FormObjects, MdiFormsPropertyBlocksAndOtherHeaderLines) {
    Rows objects{"Form"};
    run({"Begin VB.MDIForm MDIForm1", "Begin VB.MDIForm MDIForm1"}, objects);
    // No duplicate test for the MDI row.
    EXPECT_EQ(objects, (Rows{"Form", "MDIForm", "MDIForm"}));

    objects = {"Class"};
    run({"VERSION 1.0 CLASS", "BEGIN", "  MultiUse = -1  'True", "END",
         "   BeginProperty Font {0BE35203-8F91-11CE-9DE3-00AA004BB851}", "   EndProperty"},
        objects);
    EXPECT_EQ(objects, Rows{"Class"});

    // "Begin " anywhere in the line: the last word is recorded, quotes included.
    objects.clear();
    run({"   Caption = \"Begin here\"", "Public WithEvents mOrder As Order",
         "Private WithEvents tmr As Timer"},
        objects);
    EXPECT_EQ(objects, (Rows{"here\"", "Order", "Timer"}));
}

TEST(FormObjects, EventSourcesAndInterfacesOfTheDeclarationsSection) {
    Rows objects{"Class"};
    for (std::string_view s :
         {"Private WithEvents mOrder As Order", "  Public WithEvents conn As Connection",
          "Dim WithEvents rs As Recordset", "Implements IShape", "Implements IShape",
          "Private WithEvents tmr(3) As Timer", "Implements IPrint'printing", "Implements  ",
          "Private mCount As Long", "' Implements IOld", "Public WithEventsX As Long",
          "Implements CSInterfacesABM.cIABMClient", "Implements Lib.Sub.IDeep ' x.y",
          "Implements Lib."})
        recordEventSource(s, objects);
    // An interface named with its library is recorded by its own name.
    EXPECT_EQ(objects, (Rows{"Class", "mOrder_", "conn_", "rs_", "IShape_", "tmr_", "IPrint_",
                             "cIABMClient_", "IDeep_"}));
}

TEST(FormObjects, DoubleByteNamesAndTrailBytes) {
    text::ScopedCodePage cp(932);
    Rows objects;
    std::string line = sjis("   Begin VB.CommandButton 実行ボタン");
    formObjectStep(line, objects);
    // ソ (83 5C) and ダ (83 5F) at the end are whole characters of the name.
    line = sjis("   Begin VB.Label ラベルソ");
    formObjectStep(line, objects);
    line = sjis("   Begin VB.Label 表示ダ ");
    formObjectStep(line, objects);
    EXPECT_EQ(line, sjis("   Begin VB.Label 表示ダ"));
    recordEventSource(sjis("Private WithEvents 注文 As 注文クラス"), objects);
    EXPECT_EQ(objects, (Rows{sjis("実行ボタン"), sjis("ラベルソ"), sjis("表示ダ"), sjis("注文_")}));
}

}  // namespace
}  // namespace scourvane
