// Whatever the module text, the marking passes only put markers in front of lines and turn
// "Public" into "Private": no line is lost, added, reordered or otherwise changed.
#include <gtest/gtest.h>

#include <random>

#include "collect/module_collection.h"
#include "pass_fixture.h"
#include "text/convert.h"
#include "text/lines.h"
#include "text/search.h"
#include "usage/local_variables.h"
#include "usage/marking.h"
#include "usage/private_pass.h"
#include "usage/public_pass.h"

namespace scourvane {
namespace {

const char* const kFragments[] = {
    "Option Explicit",
    "Dim a As Long, b As String",
    "Private mCount As Long",
    "Public gTotal As Currency ' Public の合計",
    "Public Const TITLE = \"Public 売上\"",
    "Private Const MAX = 10, MIN = 1",
    "Private Type Point",
    "    X As Long",
    "End Type",
    "Public Type Rect",
    "End Type",
    "Private Declare Function GetTickCount Lib \"kernel32\" () As Long",
    "Public Event Changed()",
    "Public Enum Kind",
    "End Enum",
    "Private WithEvents mOrder As clsOrder",
    "Public Sub Run()",
    "Private Sub Helper(ByVal x As Long)",
    "Public Function Total() As Long",
    "Private Function Calc(a As Long, b As Long) As Long",
    "Public Property Get Value() As Long",
    "Public Property Let Value(ByVal v As Long)",
    "Friend Sub Hidden()",
    "Private Static Sub Counter()",
    "Sub Main()",
    "    Dim i As Long",
    "    Dim 合計 As Long, 件数 As Long",
    "    Dim s As String ' Dim t",
    "    i = i + 1",
    "    合計 = 合計 + 件数",
    "    Call Helper(mCount)",
    "    Total = Calc(1, 2)",
    "    gTotal = gTotal + Value",
    "    MsgBox \"表示 ダ\", vbOK, TITLE",
    "    Debug.Print a, b",
    "    ReDim arr(5)",
    "End Sub",
    "End Function",
    "End Property",
    "    End Sub",
    "' コメント Public x",
    "'<未使用> |Private old As Long",
    "",
    "   ",
    "x = \"ソ\" & _",
    "    \"表\"",
    "On Error GoTo Helper_Error",
    "ダ",
};

std::string randomModule(std::mt19937& rng) {
    std::uniform_int_distribution<std::size_t> pick(0, std::size(kFragments) - 1);
    std::uniform_int_distribution<int> length(0, 40);
    std::string utf8 = "Attribute VB_Name = \"M\"\r\n";
    for (int n = length(rng); n > 0; --n) {
        utf8 += kFragments[pick(rng)];
        utf8 += (rng() % 5 == 0) ? "\n" : "\r\n";
    }
    return testing::sjis(utf8);
}

// Strips every marker from the front of a line.
std::string_view unmarked(std::string_view line, std::string_view marker, int& markers) {
    markers = 0;
    while (line.substr(0, marker.size()) == marker) {
        line.remove_prefix(marker.size());
        ++markers;
    }
    return line;
}

class PassInvariants : public testing::PassTest {};

TEST_F(PassInvariants, MarkingOnlyPrefixesMarkersAndDemotes) {
    const std::string marker = unusedMarker();
    const std::vector<Bytes> names = {"A.bas", "B.frm", "C.cls"};
    for (unsigned seed = 1; seed <= 150; ++seed) {
        std::mt19937 rng(seed);
        session.modules = names;
        std::map<Bytes, std::vector<Bytes>> collected;
        for (const Bytes& m : names) {
            put(m, randomModule(rng));
            collectModule(ctx, m);
            collected[m] = text::splitLines(get(m));
        }
        for (const Bytes& m : names) {
            collectModule(ctx, m);  // again on its own output, as the driver does before the passes
            ASSERT_EQ(text::splitLines(get(m)), collected[m]) << "seed " << seed << " " << m;
            localVariablePass(ctx, m);
            privatePass(ctx, m);
            publicPass(ctx, m);
        }
        ASSERT_TRUE(window.errors.empty()) << "seed " << seed << ": " << window.errors.front();
        for (const Bytes& m : names) {
            const std::string after = get(m);
            const std::vector<Bytes> rows = text::splitLines(after);
            const std::vector<Bytes>& before = collected[m];
            ASSERT_EQ(rows.size(), before.size())
                << "seed " << seed << " " << m << "\n"
                << text::toUtf8(text::joinLines(before)) << "----\n"
                << text::toUtf8(after);
            if (!before.empty()) {
                EXPECT_TRUE(text::endsWith(after, "\r\n"));
            }
            for (std::size_t i = 0; i < rows.size(); ++i) {
                int markers = 0;
                const std::string_view rest = unmarked(rows[i], marker, markers);
                const std::string_view original = unmarked(before[i], marker, markers);
                EXPECT_TRUE(rest == original || rest == demoted(original))
                    << "seed " << seed << " " << m << " line " << i + 1 << "\n"
                    << text::toUtf8(before[i]) << "\n"
                    << text::toUtf8(rows[i]);
            }
        }
    }
}

}  // namespace
}  // namespace scourvane
