#include "usage/public_pass.h"

#include <gtest/gtest.h>

#include <limits>

#include "base/run_error.h"
#include "pass_fixture.h"
#include "usage/private_pass.h"

namespace scourvane {
namespace {

using testing::lines;
using testing::marked;
using testing::sjis;

class PublicPass : public testing::PassTest {
  protected:
    // The module table (code-page bytes; the files are named by their UTF-8 form).
    void table(std::initializer_list<std::string_view> utf8Rows) {
        session.modules.clear();
        for (std::string_view r : utf8Rows) session.modules.push_back(sjis(r));
    }
    std::string run(const std::string& module) {
        publicPass(ctx, sjis(module));
        return get(module);
    }
    int counter(CounterId id) const { return session.counters.get(id); }
};

TEST_F(PublicPass, DemotesMarksOrKeepsByUsesInTheModuleAndInTheOthers) {
    table({"A.bas", "B.bas"});
    put("A.bas", lines({
                     "Public Const LIMIT = 5 ' Public limit",
                     "Public isPublic As Boolean",
                     "Public Shared As Long",
                     "Public Spare As Long",
                     "Public Declare Sub Sleep Lib \"kernel32\" (ByVal ms As Long)",
                     "Public Sub Go()",
                     "    isPublic = LIMIT > 1",
                     "End Sub",
                 }));
    put("B.bas", lines({"x = Shared", "Go"}));
    EXPECT_EQ(run("A.bas"), lines({
                                "Private Const LIMIT = 5 ' Private limit",
                                "Private isPublic As Boolean",
                                "Public Shared As Long",
                                "'<未使用> |Public Spare As Long",
                                "'<未使用> |Public Declare Sub Sleep Lib \"kernel32\" (ByVal ms As "
                                "Long)",
                                "Public Sub Go()",
                                "    isPublic = LIMIT > 1",
                                "End Sub",
                            }));
    // Six found, two of them demoted; two unused.
    EXPECT_EQ(counter(CounterId::Public), 4);
    EXPECT_EQ(counter(CounterId::Private), 2);
    EXPECT_EQ(counter(CounterId::UnusedPublic), 2);
    EXPECT_EQ(label(CounterId::Public), "4");
    EXPECT_EQ(label(CounterId::Private), "2");
    EXPECT_EQ(label(CounterId::UnusedPublic), "2");
    EXPECT_EQ(get("B.bas"), lines({"x = Shared", "Go"}));  // only read
}

TEST_F(PublicPass, MarksUnusedBlocks) {
    table({"A.bas"});
    put("A.bas", lines({
                     "Public Type POINTAPI",
                     "    x As Long",
                     "End Type",
                     "Public Function Caller() As Long",
                     "    Caller = Callee",
                     "End Function",
                     "Public Function Callee() As Long",
                     "End Function",
                     "Public Property Get Size() As Long",
                     "'<未使用> |    Dim t As Long",
                     "  End Property",
                     "End Property",
                     "  Public Sub Indented()",
                     "End Sub",
                     "After",
                 }));
    // Caller assigns its own name, so it is demoted; Callee is used only inside Caller, and
    // the call counts: demoted too.
    EXPECT_EQ(run("A.bas"), lines({
                                "'<未使用> |Public Type POINTAPI",
                                "'<未使用> |    x As Long",
                                "'<未使用> |End Type",
                                "Private Function Caller() As Long",
                                "    Caller = Callee",
                                "End Function",
                                "Private Function Callee() As Long",
                                "End Function",
                                "'<未使用> |Public Property Get Size() As Long",
                                "'<未使用> |'<未使用> |    Dim t As Long",
                                "'<未使用> |  End Property",
                                "End Property",
                                "'<未使用> |  Public Sub Indented()",
                                "'<未使用> |End Sub",
                                "After",
                            }));
    EXPECT_EQ(counter(CounterId::UnusedPublic), 3);
}

TEST_F(PublicPass, ACallFromAnUnusedPublicProcedureStillCounts) {
    table({"A.bas"});
    put("A.bas",
        lines({"Public Sub Outer()", "    Inner", "End Sub", "Public Sub Inner()", "End Sub"}));
    EXPECT_EQ(run("A.bas"), lines({"'<未使用> |Public Sub Outer()", "'<未使用> |    Inner",
                                   "'<未使用> |End Sub", "Private Sub Inner()", "End Sub"}));
}

TEST_F(PublicPass, AModuleWithoutPublicDeclarationsIsOnlyRewritten) {
    table({"A.bas", "Missing.bas"});
    put("A.bas", "Option Explicit\nPrivate x As Long");
    EXPECT_EQ(run("A.bas"), "Option Explicit\r\nPrivate x As Long\r\n");
    // The other modules are not read at all: the missing one raises nothing.
    EXPECT_TRUE(window.errors.empty());
    for (const auto& s : window.statuses()) EXPECT_EQ(s.find("走査中"), std::string::npos);
    put("Empty.bas", "");
    EXPECT_EQ(run("Empty.bas"), "");
}

TEST_F(PublicPass, TheSameNameDeclaredInTwoModulesIsUsedByEach) {
    table({"A.bas", "B.bas"});
    put("A.bas", lines({"Public Total As Long"}));
    put("B.bas", lines({"Public Total As Long"}));
    EXPECT_EQ(run("A.bas"), lines({"Public Total As Long"}));
    EXPECT_EQ(run("B.bas"), lines({"Public Total As Long"}));
    EXPECT_EQ(counter(CounterId::UnusedPublic), 0);
}

TEST_F(PublicPass, SkipsTheCurrentModuleOnlyUnderItsExactName) {
    table({"MOD1.BAS", "Mod1.bas"});
    put("Mod1.bas", lines({"Public Lonely As Long"}));
    put("MOD1.BAS", lines({"Public Lonely As Long"}));  // another row, another file
    EXPECT_EQ(run("Mod1.bas"), lines({"Public Lonely As Long"}));
}

TEST_F(PublicPass, ReadsTheOtherModulesAsTheyStandAtThatMoment) {
    // Run the private and public passes module by module, as the run does. A.bas comes before
    // B.bas: its unused private procedure, holding the only call of UsedBefore, is marked by
    // the time B is judged. C.bas comes after: its unused procedure still calls UsedAfter.
    table({"A.bas", "B.bas", "C.bas"});
    put("A.bas", lines({"Private Sub OldA()", "    UsedBefore", "End Sub"}));
    put("B.bas",
        lines({"Public Sub UsedBefore()", "End Sub", "Public Sub UsedAfter()", "End Sub"}));
    put("C.bas", lines({"Private Sub OldC()", "    UsedAfter", "End Sub"}));
    for (const auto& m : session.modules) {
        privatePass(ctx, m);
        publicPass(ctx, m);
    }
    EXPECT_EQ(get("B.bas"), lines({"'<未使用> |Public Sub UsedBefore()", "'<未使用> |End Sub",
                                   "Public Sub UsedAfter()", "End Sub"}));
    EXPECT_EQ(get("C.bas"), lines({"'<未使用> |Private Sub OldC()", "'<未使用> |    UsedAfter",
                                   "'<未使用> |End Sub"}));
    EXPECT_TRUE(window.errors.empty());
}

TEST_F(PublicPass, ShowsEachModuleScannedAndYieldsAtEveryStep) {
    table({"A.bas", "表.bas"});
    put("A.bas", lines({"Public X As Long", "Public Y As Long"}));
    put("表.bas", lines({"z = X", "", "w = 1"}));
    auto progress = [&] {
        std::vector<std::string> values;
        for (const auto& e : window.events)
            if (e.kind == "progress") values.push_back(e.text);
        return values;
    };
    const std::string original = get("A.bas");

    // The plain count reads the other module line by line.
    session.counting = Counting::Plain;
    run("A.bas");
    EXPECT_EQ(window.statuses(), (std::vector<std::string>{"走査中...\r\n表.bas\r\nA.bas"}));
    // 2 lines read, 2 counted in the module, 3 in the other, 2 decisions.
    EXPECT_EQ(window.yields, 9);
    // Read (18 and 36 of 36), collection 0, the other module by bytes (7, 9, 16 of 16), the
    // decisions by rows (0 and 1 of 2).
    EXPECT_EQ(progress(),
              (std::vector<std::string>{"0", "50", "100", "0", "44", "56", "100", "0", "50"}));
    const std::string plainResult = get("A.bas");

    // The index has the other module's words already: one yield and a full bar for it, the
    // same status and the same result.
    put("A.bas", original);
    window = testing::RecordingWindow{};
    RunContext indexedCtx{session, window};
    session.counting = Counting::Indexed;
    publicPass(indexedCtx, "A.bas");
    EXPECT_EQ(window.statuses(), (std::vector<std::string>{"走査中...\r\n表.bas\r\nA.bas"}));
    EXPECT_EQ(window.yields, 7);
    EXPECT_EQ(progress(), (std::vector<std::string>{"0", "50", "100", "0", "100", "0", "50"}));
    EXPECT_EQ(get("A.bas"), plainResult);
}

TEST_F(PublicPass, NoSixteenBitLimits) {
    table({"A.bas", "B.bas"});
    std::string a = "Public Hot As Long\r\n";
    std::string b;
    for (int i = 0; i < 40'000; ++i) a += "Hot = Hot + 1\r\n", b += "y = Hot\r\n";
    put("A.bas", a);
    put("B.bas", "Public Cold As Long\r\n" + b);
    run("A.bas");
    EXPECT_EQ(run("B.bas"), marked("Public Cold As Long") + "\r\n" + b);
    EXPECT_EQ(get("A.bas"), a);  // used 40,000 times by B
    EXPECT_TRUE(window.errors.empty());
}

TEST_F(PublicPass, FailuresLeaveTheFileOrLoseNoLine) {
    table({"A.bas", "Gone.bas"});
    const std::string content = lines({"Public Spare As Long"});
    put("A.bas", content);
    // Another module that cannot be read ends the pass; the file is left as it was.
    try {
        run("A.bas");
        FAIL() << "no error";
    } catch (const RunError& e) {
        EXPECT_EQ(e.number(), err::kFileNotFound);
    }
    EXPECT_EQ(get("A.bas"), content);

    // A collection that fails judges nothing: its counts would be partial. The rows are
    // still written, with the box shown.
    table({"A.bas"});
    put("A.bas", "Public Spare As Long");
    session.counters.add(CounterId::Public,
                         std::numeric_limits<std::int32_t>::max() - counter(CounterId::Public),
                         window);
    EXPECT_EQ(run("A.bas"), "Public Spare As Long\r\n");
    ASSERT_EQ(window.errors.size(), 1u);
    EXPECT_EQ(window.errors[0].rfind("Error 6 (", 0), 0u);
    EXPECT_EQ(counter(CounterId::UnusedPublic), 0);
}

TEST_F(PublicPass, ClosingWhileScanningAnotherModuleLeavesTheFile) {
    table({"A.bas", "B.bas"});
    const std::string content = lines({"Public Spare As Long"});
    put("A.bas", content);
    put("B.bas", lines({"x = 1", "y = 2"}));
    window.onYield = [this] { return window.status.empty(); };
    EXPECT_THROW(run("A.bas"), Closing);
    EXPECT_EQ(get("A.bas"), content);
}

}  // namespace
}  // namespace scourvane
