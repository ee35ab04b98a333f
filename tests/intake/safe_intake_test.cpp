#include <gtest/gtest.h>

#include "collect/declaration_kind.h"
#include "engine/engine.h"
#include "intake/project_file.h"
#include "support/files.h"
#include "support/recording_window.h"

namespace scourvane {
namespace {

using testing::readFile;
using testing::snapshot;
using testing::writeFile;
using Rows = std::vector<Bytes>;
using Files = std::map<std::string, std::string>;

const char* kProject =
    "Type=Exe\r\nForm=Forms\\Main.frm\r\nModule=Tools; Lib\\Tools.bas\r\nClass=Order; Order.cls\r\n"
    "UserControl=Controls\\ctlGauge.ctl\r\nUserControl=ctlPlain.ctl\r\n"
    "PropertyPage=Pages\\ppGauge.pag\r\nUserDocument=Docs\\docHome.dob\r\n"
    "Designer=Designers\\DataReport1.Dsr\r\nResFile32=\"Res\\Sales.RES\"\r\n"
    "RelatedDoc=Docs\\Readme.txt\r\nStartup=\"Form1\"\r\n";
const char* kMain =
    "VERSION 5.00\r\nBegin VB.Form Form1\r\n   Icon = \"Main.frx\":0000\r\nEnd\r\n"
    "Attribute VB_Name = \"Form1\"\r\n";
const char* kGauge =
    "VERSION 5.00\r\nBegin VB.UserControl ctlGauge \r\n   Picture = \"ctlGauge.ctx\":0000\r\n"
    "   Begin VB.TextBox Text1 \r\n   End\r\n   Begin VB.Timer tmrTick \r\n   End\r\nEnd\r\n"
    "Attribute VB_Name = \"ctlGauge\"\r\nOption Explicit\r\n"
    "Private Sub UserControl_Resize()\r\nEnd Sub\r\nPrivate Sub Text1_Change()\r\nEnd Sub\r\n";
const char* kPlain = "VERSION 5.00\r\nBegin VB.UserControl ctlPlain\r\nEnd\r\n";
// Names its .pgx, which is missing.
const char* kPage =
    "VERSION 5.00\r\nBegin VB.PropertyPage ppGauge\r\n   Picture = \"ppGauge.pgx\":0000\r\nEnd\r\n";

class SafeIntake : public ::testing::Test {
  protected:
    testing::TempDir tmp;
    fs::path project = tmp / "Sales";
    fs::path copy = project / "New_Sales";
    testing::RecordingWindow window;
    Engine engine{window};

    // Every kind of entry, most in subfolders. ctlPlain.ctl has no .ctx and names none, the
    // .pgx is named and missing, the designer has its .dca and no .dsx.
    void writeProject() {
        writeFile(project / "Sales.vbp", kProject);
        writeFile(project / "Sales.vbw", "w");
        writeFile(project / "Forms/Main.frm", kMain);
        writeFile(project / "Forms/Main.frx", "frx");
        writeFile(project / "Lib/Tools.bas", "Attribute VB_Name = \"Tools\"\r\n");
        writeFile(project / "Order.cls", "VERSION 1.0 CLASS\r\n");
        writeFile(project / "Controls/ctlGauge.ctl", kGauge);
        writeFile(project / "Controls/ctlGauge.ctx", std::string("\x00\x01ctx", 5));
        writeFile(project / "ctlPlain.ctl", kPlain);
        writeFile(project / "Pages/ppGauge.pag", kPage);
        writeFile(project / "Docs/docHome.dob", "VERSION 5.00\r\nBegin VB.UserDocument docHome\r\n");
        writeFile(project / "Docs/docHome.dox", "dox");
        writeFile(project / "Docs/Readme.txt", "read me");
        writeFile(project / "Designers/DataReport1.Dsr", "dsr");
        writeFile(project / "Designers/DataReport1.dca", "dca");
        writeFile(project / "Res/Sales.RES", std::string("\x00\x00res", 5));
    }
    std::vector<int> errorNumbers() const { return window.errorNumbers(); }
};

TEST_F(SafeIntake, SpecifiedRulesTakeInOnlyFormsModulesAndClassesAsEver) {
    writeProject();
    const Files before = snapshot(project);
    engine.setRules(RuleSet::Spec);
    ASSERT_TRUE(engine.intake(project / "Sales.vbp"));
    EXPECT_TRUE(window.errors.empty()) << window.errors.front();
    EXPECT_EQ(engine.session().modules, (Rows{"Main.frm", "Tools.bas", "Order.cls"}));
    EXPECT_EQ(window.modules, (std::vector<std::string>{"Main.frm", "Tools.bas", "Order.cls"}));
    std::string rewritten = kProject;
    rewritten.replace(rewritten.find("Forms\\"), 6, "");
    rewritten.replace(rewritten.find("Lib\\"), 4, "");
    EXPECT_EQ(snapshot(copy),
              (Files{{"Sales.vbp", rewritten},
                     {"Sales.vbw", "w"},
                     {"Main.frm", kMain},
                     {"Main.frx", "frx"},
                     {"Tools.bas", before.at("Lib/Tools.bas")},
                     {"Order.cls", before.at("Order.cls")}}));
    EXPECT_FALSE(engine.session().activeXProject);
}

TEST_F(SafeIntake, SafeRulesCopyEveryListedFileFlatAndTableTheControls) {
    writeProject();
    const Files before = snapshot(project);
    engine.setRules(RuleSet::Safe);
    ASSERT_TRUE(engine.intake(project / "Sales.vbp"));
    // Only the missing .pgx that the page names is reported.
    EXPECT_EQ(errorNumbers(), (std::vector<int>{53}));
    ASSERT_EQ(window.errors.size(), 1u);
    EXPECT_NE(window.errors[0].find("ppGauge.pgx"), std::string::npos) << window.errors[0];
    // Sorted by the entries as read: Controls\, ctlPlain, Designers\, Docs\, Forms\, Lib\,
    // Order, Pages\.
    const Rows rows{"ctlGauge.ctl", "ctlPlain.ctl", "DataReport1.Dsr", "docHome.dob",
                    "Main.frm",     "Tools.bas",    "Order.cls",       "ppGauge.pag"};
    EXPECT_EQ(engine.session().modules, rows);
    EXPECT_EQ(window.modules, std::vector<std::string>(rows.begin(), rows.end()));
    EXPECT_EQ(readFile(copy / "Sales.vbp"),
              "Type=Exe\r\nForm=Main.frm\r\nModule=Tools; Tools.bas\r\nClass=Order; Order.cls\r\n"
              "UserControl=ctlGauge.ctl\r\nUserControl=ctlPlain.ctl\r\nPropertyPage=ppGauge.pag\r\n"
              "UserDocument=docHome.dob\r\nDesigner=DataReport1.Dsr\r\n"
              "ResFile32=\"Sales.RES\"\r\nRelatedDoc=Docs\\Readme.txt\r\nStartup=\"Form1\"\r\n");
    Files expected{{"Sales.vbw", "w"},
                   {"Main.frm", kMain},
                   {"Main.frx", "frx"},
                   {"Tools.bas", before.at("Lib/Tools.bas")},
                   {"Order.cls", before.at("Order.cls")},
                   {"ctlGauge.ctl", kGauge},
                   {"ctlGauge.ctx", before.at("Controls/ctlGauge.ctx")},
                   {"ctlPlain.ctl", kPlain},
                   {"ppGauge.pag", kPage},
                   {"docHome.dob", before.at("Docs/docHome.dob")},
                   {"docHome.dox", "dox"},
                   {"DataReport1.Dsr", "dsr"},
                   {"DataReport1.dca", "dca"},
                   {"Sales.RES", before.at("Res/Sales.RES")}};
    Files copied = snapshot(copy);
    copied.erase("Sales.vbp");
    EXPECT_EQ(copied, expected);
    // The user's files are only read.
    Files after = snapshot(project);
    std::erase_if(after, [](const auto& kv) { return kv.first.starts_with("New_Sales/"); });
    EXPECT_EQ(after, before);
}

TEST_F(SafeIntake, AUserControlsHeaderNamesItsObjectsAndTurnsItsHandlersAway) {
    writeFile(project / "Sales.vbp", "Module=A; A.bas\r\nUserControl=Controls\\ctlGauge.ctl\r\n");
    writeFile(project / "Sales.vbw", "");
    writeFile(project / "A.bas", "Attribute VB_Name = \"A\"\r\n");
    writeFile(project / "Controls/ctlGauge.ctl", kGauge);
    writeFile(project / "Controls/ctlGauge.ctx", "ctx");
    engine.setRules(RuleSet::Safe);
    engine.intake(project / "Sales.vbp");
    ASSERT_EQ(engine.session().modules, (Rows{"A.bas", "ctlGauge.ctl"}));
    engine.run();
    // The object table is the last module's: the .ctl's kind word and its header's objects.
    const Rows& objects = engine.session().objects;
    EXPECT_EQ(objects, (Rows{"UserControl", "ctlGauge", "Text1", "tmrTick"}));
    for (const char* handler : {"Private Sub UserControl_Resize()", "Private Sub Text1_Change()",
                                "Private Sub tmrTick_Timer()"})
        EXPECT_EQ(declaredName(handler, "Private", objects, false), "") << handler;
    EXPECT_EQ(declaredName("Private Sub Refresh()", "Private", objects, false), "Refresh");
}

TEST(SafeEntries, KindsOfModuleAndEntryValues) {
    for (const char* name : {"a.frm", "B.CLS", "c.Ctl", "d.pag", "E.DOB"})
        EXPECT_TRUE(isClassLikeModuleName(name)) << name;
    for (const char* name : {"a.bas", "b.Dsr", "c.res", "d.ctx", "e.frx"})
        EXPECT_FALSE(isClassLikeModuleName(name)) << name;
    EXPECT_TRUE(isStandardModuleName("c.ctl"));  // unchanged: the default rules' question
    EXPECT_EQ(moduleEntry("UserControl=c\\x.ctl"), std::nullopt);
    EXPECT_EQ(moduleEntry("UserControl=c\\x.ctl", RuleSet::Safe), "c\\x.ctl");
    EXPECT_EQ(moduleEntry("Designer=x.Dsr"), std::nullopt);
    EXPECT_EQ(moduleEntry("Designer=d\\x.Dsr", RuleSet::Safe), "d\\x.Dsr");
    EXPECT_EQ(copiedFileEntry("Designer=x.Dsr"), std::nullopt);
    EXPECT_EQ(copiedFileEntry("ResFile32=\"r\\x.RES\""), "r\\x.RES");
    EXPECT_EQ(copiedFileEntry("ResFile32=x.res"), "x.res");
    EXPECT_EQ(copiedFileEntry("ResFile32=\"\""), std::nullopt);
    EXPECT_EQ(copiedFileEntry("RelatedDoc=x.txt"), std::nullopt);
}

TEST(SafeEntries, ActiveXProjectIsRecordedForEachTypeUnderEitherRules) {
    const std::pair<const char*, bool> types[] = {
        {"OleDll", true},  {"Exe", false},     {"OleExe", true},
        {"Control", true}, {"oledll  ", true}, {"Exe", false}};
    for (RuleSet rules : {RuleSet::Spec, RuleSet::Safe}) {
        testing::TempDir tmp;
        testing::RecordingWindow window;
        Engine engine(window);
        engine.setRules(rules);
        for (const auto& [type, activeX] : types) {
            writeFile(tmp / "P/P.vbp", std::string("Type=") + type + "\r\nModule=A; A.bas\r\n");
            engine.intake(tmp / "P/P.vbp");
            EXPECT_EQ(engine.session().activeXProject, activeX) << type;
        }
    }
}

}  // namespace
}  // namespace scourvane
