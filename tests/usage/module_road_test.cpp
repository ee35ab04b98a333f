// The road of one form module through the three marking passes, from the file as module
// collection leaves it.
#include <gtest/gtest.h>

#include "engine/detection_run.h"
#include "pass_fixture.h"
#include "usage/local_variables.h"
#include "usage/private_pass.h"
#include "usage/public_pass.h"

namespace scourvane {
namespace {

using testing::lines;

class ModuleRoad : public testing::PassTest {};

TEST_F(ModuleRoad, MainFormThroughTheThreePasses) {
    session.modules = {"Main.frm"};
    session.objects = {"Form", "Form1", "Command1"};
    put("Main.frm", lines({
                        "Begin VB.Form Form1",
                        "   Begin VB.CommandButton Command1",
                        "Attribute VB_Name = \"Form1\"",
                        "Option Explicit",
                        "Private a As Integer",
                        "Private b As Long",
                        "Private Sub Command1_Click()",
                        "    Dim i As Long",
                        "    a = 1",
                        "End Sub",
                    }));
    // The driver's own steps between the passes: each pass, then its two labels.
    auto showPair = [&](CounterId x, CounterId y) {
        session.counters.show(x, window);
        session.counters.show(y, window);
    };

    localVariablePass(ctx, "Main.frm");
    EXPECT_EQ(get("Main.frm"), lines({
                                   "Begin VB.Form Form1",
                                   "   Begin VB.CommandButton Command1",
                                   "Attribute VB_Name = \"Form1\"",
                                   "Option Explicit",
                                   "Private a As Integer",
                                   "Private b As Long",
                                   "Private Sub Command1_Click()",
                                   "'<未使用> |    Dim i As Long",
                                   "    a = 1",
                                   "End Sub",
                               }));
    showPair(CounterId::Dim, CounterId::UnusedDim);

    privatePass(ctx, "Main.frm");
    const std::string afterPrivate = lines(
        {
            "Begin VB.Form Form1",
            "   Begin VB.CommandButton Command1",
            "Attribute VB_Name = \"Form1\"",
            "Option Explicit",
            "Private a As Integer",
            "'<未使用> |Private b As Long",
            "Private Sub Command1_Click()",
            "'<未使用> |    Dim i As Long",
            "    a = 1",
            "End Sub",
        },
        false);
    EXPECT_EQ(get("Main.frm"), afterPrivate);
    showPair(CounterId::Private, CounterId::UnusedPrivate);

    publicPass(ctx, "Main.frm");
    EXPECT_EQ(get("Main.frm"), afterPrivate + "\r\n");
    showPair(CounterId::Public, CounterId::UnusedPublic);

    EXPECT_EQ(label(CounterId::Dim), "1");
    EXPECT_EQ(label(CounterId::UnusedDim), "1");
    EXPECT_EQ(label(CounterId::Private), "2");
    EXPECT_EQ(label(CounterId::UnusedPrivate), "1");
    EXPECT_EQ(label(CounterId::Public), "0");
    EXPECT_EQ(label(CounterId::UnusedPublic), "0");
    EXPECT_TRUE(window.errors.empty());
    // Each labelled change was shown as it happened, not only by the driver afterwards.
    std::vector<std::string> counterEvents;
    for (const auto& e : window.events)
        if (e.kind == "counter") counterEvents.push_back(std::to_string(e.id) + "=" + e.text);
    EXPECT_EQ(counterEvents, (std::vector<std::string>{"0=1", "1=1", "0=1", "1=1", "2=1", "2=2",
                                                       "3=1", "2=2", "3=1", "4=0", "5=0"}));
}

}  // namespace
}  // namespace scourvane
