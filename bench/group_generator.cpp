#include "group_generator.h"

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <initializer_list>
#include <random>
#include <stdexcept>
#include <string>

#include "text/codepage.h"
#include "text/convert.h"

namespace scourvane::bench {

namespace fs = std::filesystem;

namespace {

// Body statements of one filler procedure, and its lines in all.
constexpr std::size_t kStepBody = 8;
constexpr std::size_t kStepLines = kStepBody + 12;

struct Text {
    std::vector<std::string> lines;  // UTF-8
    void add(std::string line) { lines.push_back(std::move(line)); }
    void add(std::initializer_list<std::string> block) {
        lines.insert(lines.end(), block.begin(), block.end());
    }
};

// Uniform in [0, n) from std::mt19937 alone: the standard distributions differ between
// standard libraries, and a seed must make the same group everywhere.
class Random {
  public:
    explicit Random(unsigned seed) : engine_(seed) {}
    std::size_t below(std::size_t n) {
        return static_cast<std::size_t>((static_cast<std::uint64_t>(engine_()) * n) >> 32);
    }

  private:
    std::mt19937 engine_;
};

std::string padded(std::size_t k, std::size_t width) {
    std::string s = std::to_string(k);
    return std::string(s.size() < width ? width - s.size() : 0, '0') + s;
}

std::size_t widthFor(std::size_t n) {
    return std::max<std::size_t>(2, std::to_string(n).size());
}

std::string cp932(const std::string& utf8) {
    auto bytes = text::fromUtf8(utf8, text::CodePage::get(932));
    if (!bytes) throw std::runtime_error("generated text has no CP932 form");
    return *bytes;
}

void writeBytes(const fs::path& p, const std::string& bytes) {
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + p.string());
}

// Writes a module as one string; returns its lines.
std::size_t writeModule(const fs::path& p, const Text& m) {
    std::string utf8;
    for (const std::string& line : m.lines) utf8 += line + "\r\n";
    writeBytes(p, cp932(utf8));
    return m.lines.size();
}

// Private procedures Step0, Step1, ..., each calling the next, until the module holds about
// `target` lines; the caller calls Step0 from code that is used. Each has a Dim that nothing
// uses, and after them comes a Private procedure that nothing calls. Every module that has
// them declares mCount.
void addSteps(Text& m, std::size_t target) {
    const std::size_t have = m.lines.size() + 3;
    const std::size_t count = target > have + kStepLines ? (target - have) / kStepLines : 1;
    for (std::size_t j = 0; j < count; ++j) {
        const std::string k = std::to_string(j);
        m.add({"Private Sub Step" + k + "()", "    Dim i As Long", "    Dim total As Long",
               "    Dim spare" + k + " As String"});
        // 表 and ソ end in the byte of "\" in CP932.
        m.add({"    ' 予定表とｿｰｽを更新する", "    total = 0", "    For i = 1 To 10"});
        for (std::size_t s = 0; s < kStepBody; ++s)
            m.add("        total = total + i * " + std::to_string(s + 1) + " ' ｶｳﾝﾄ");
        m.add({"    Next i", "    mCount = mCount + total",
               j + 1 < count ? "    Step" + std::to_string(j + 1) : std::string("    DoEvents"),
               "End Sub", ""});
    }
    m.add({"Private Sub Orphan()", "    mCount = 0", "End Sub"});
}

void addPrivates(Text& m) {
    m.add({"Private mCount As Long", "Private mUnused As String", ""});
}

void classHeader(Text& m, const std::string& name, bool creatable, bool exposed) {
    m.add({"VERSION 1.0 CLASS", "BEGIN", "  MultiUse = -1  'True",
           "  Persistable = 0  'NotPersistable", "  DataBindingBehavior = 0  'vbNone",
           "  DataSourceBehavior  = 0  'vbNone", "  MTSTransactionMode  = 0  'NotAnMTSObject",
           "END"});
    m.add({"Attribute VB_Name = \"" + name + "\"", "Attribute VB_GlobalNameSpace = False",
           std::string("Attribute VB_Creatable = ") + (creatable ? "True" : "False"),
           "Attribute VB_PredeclaredId = False",
           std::string("Attribute VB_Exposed = ") + (exposed ? "True" : "False"),
           "Option Explicit"});
}

// A form with one button, cmdRun; the form file is <name>.frm, and with `icon` it names the
// binary file <name>.frx.
void formHeader(Text& m, const std::string& name, const std::string& caption, bool icon) {
    m.add({"VERSION 5.00", "Begin VB.Form " + name, "   Caption         =   \"" + caption + "\""});
    m.add({"   ClientHeight    =   3195", "   ClientLeft      =   60", "   ClientTop       =   345",
           "   ClientWidth     =   4680"});
    if (icon) m.add("   Icon            =   \"" + name + ".frx\":0000");
    m.add({"   LinkTopic       =   \"Form1\"", "   ScaleHeight     =   3195",
           "   ScaleWidth      =   4680", "   StartUpPosition =   3  'Windows の既定値",
           "   Begin VB.CommandButton cmdRun", "      Caption         =   \"実行\"",
           "      Height          =   375", "      Left            =   120",
           "      TabIndex        =   0", "      Top             =   120",
           "      Width           =   1215", "   End", "End"});
    m.add("Attribute VB_Name = \"" + name + "\"");
    m.add({"Attribute VB_GlobalNameSpace = False", "Attribute VB_Creatable = False",
           "Attribute VB_PredeclaredId = True", "Attribute VB_Exposed = False", "Option Explicit"});
}

// Which projects include a shared module, and which of them use its declarations.
struct SharedPlan {
    std::vector<std::size_t> includers;  // projects that use lib/, ascending
    std::size_t someUsers = 0;           // gSome is used by the first this many includers
    std::size_t trapUser = 0;            // the one project that uses gOne, One..Value, ONE.._LIMIT
};

// A shared module: every kind of Public declaration a judgement over the group must tell apart.
Text sharedModule(const std::string& t, std::size_t lines) {
    Text m;
    m.add({"Attribute VB_Name = \"Shared" + t + "\"", "Option Explicit",
           "' 共通ﾙｰﾁﾝと集計表 (共有ﾓｼﾞｭｰﾙ " + t + ")"});
    m.add("Public gAll" + t + " As Long");                          // every includer
    m.add("Public gSome" + t + " As String");                       // some includers
    m.add("Public gOne" + t + " As Long");                          // exactly one includer
    m.add("Public Const ONE" + t + "_LIMIT As Long = 100");         // exactly one includer
    m.add("Public gSelf" + t + " As Long");                         // this module only
    m.add("Public gNone" + t + " As Integer");                      // nothing
    m.add("Public Const NONE" + t + "_CODE As String = \"ｺｰﾄﾞ\"");  // nothing
    m.add("Public Type None" + t + "Rec");                          // nothing
    m.add({"    Code As String", "    Amount As Currency", "End Type"});
    addPrivates(m);
    m.add({"Public Sub All" + t + "Run()", "    Dim i As Long", "    Dim unusedName As String",
           "    For i = 1 To 3", "        gSelf" + t + " = gSelf" + t + " + i", "    Next i",
           "    Self" + t + "Step", "    Step0", "End Sub", ""});
    m.add({"Public Function One" + t + "Value(ByVal n As Long) As Long",
           "    One" + t + "Value = n * 2", "End Function", ""});
    m.add({"Public Sub Self" + t + "Step()", "    mCount = mCount + gSelf" + t, "End Sub", ""});
    m.add({"Public Function None" + t + "Format(ByVal s As String) As String",
           "    Dim w As String", "    w = Trim$(s)", "    None" + t + "Format = \"[\" & w & \"]\"",
           "End Function", ""});
    addSteps(m, lines);
    return m;
}

// The statements by which project `p` uses the shared modules it includes.
void useShared(Text& m, std::size_t p, const std::vector<std::size_t>& included,
               const std::vector<SharedPlan>& plans, std::size_t width) {
    for (std::size_t s : included) {
        const std::string t = padded(s + 1, width);
        const SharedPlan& plan = plans[s];
        m.add("    gAll" + t + " = gAll" + t + " + n");
        m.add("    All" + t + "Run");
        const auto at = std::find(plan.includers.begin(), plan.includers.end(), p);
        if (static_cast<std::size_t>(at - plan.includers.begin()) < plan.someUsers)
            m.add("    gSome" + t + " = \"" + std::to_string(p) + "\"");
        if (plan.trapUser == p) m.add("    gOne" + t + " = One" + t + "Value(ONE" + t + "_LIMIT)");
    }
}

Text standardModule(const std::string& name, std::size_t lines) {
    Text m;
    m.add({"Attribute VB_Name = \"" + name + "\"", "Option Explicit", "' 画面表示の補助ﾙｰﾁﾝ"});
    m.add("Public g" + name + "Used As Long");   // the main form (a trap when shared)
    m.add("Public g" + name + "Alt As String");  // the second project only, if it has one
    m.add("Public g" + name + "Self As Long");   // this module only
    m.add("Public g" + name + "Spare As Long");  // nothing
    addPrivates(m);
    m.add({"Public Sub " + name + "Run()", "    Dim i As Long", "    Dim unusedText As String",
           "    For i = 1 To 3", "        g" + name + "Self = g" + name + "Self + i", "    Next i",
           "    Step0", "End Sub", "", "Public Function " + name + "Unused() As String",
           "    " + name + "Unused = \"未使用\"", "End Function", ""});
    addSteps(m, lines);
    return m;
}

Text classModule(const std::string& name, std::size_t lines) {
    Text m;
    classHeader(m, name, true, false);
    m.add("Public " + name + "Spare As Long");
    addPrivates(m);
    m.add({"Private Sub Class_Initialize()", "    mCount = 0", "    Step0", "End Sub", "",
           "Public Sub " + name + "Run()", "    mCount = " + name + "Count + 1", "End Sub", "",
           "Public Property Get " + name + "Count() As Long", "    " + name + "Count = mCount",
           "End Property", "", "Public Function " + name + "Unused() As String",
           "    " + name + "Unused = \"未使用\"", "End Function", ""});
    addSteps(m, lines);
    return m;
}

// A second form; `prefix` names its Public members (the form's own name without "frm").
Text detailForm(const std::string& prefix, std::size_t lines) {
    Text m;
    formHeader(m, "frm" + prefix, "明細", false);
    m.add("Public " + prefix + "Title As String");
    m.add("Public " + prefix + "Spare As Long");
    addPrivates(m);
    m.add({"Private Sub Form_Load()", "    Me.Caption = " + prefix + "Title", "    Step0",
           "End Sub", "", "Private Sub cmdRun_Click()", "    Unload Me", "End Sub", ""});
    addSteps(m, lines);
    return m;
}

struct ProjectText {
    std::string references;  // Reference= lines
    std::string entries;     // Form=, Module= and Class= lines
    std::string workspace;   // the .vbw
    void entry(const std::string& line, const std::string& name) {
        entries += line + "\r\n";
        workspace += name + " = 0, 0, 0, 0, C\r\n";
    }
};

void writeProject(const fs::path& file, const std::string& type, const ProjectText& p,
                  const std::string& startup, const std::string& name, const std::string& ext) {
    std::string vbp = "Type=" + type + "\r\n";
    vbp +=
        "Reference=*\\G{00020430-0000-0000-C000-000000000046}#2.0#0#..\\..\\..\\Windows\\"
        "SysWOW64\\stdole2.tlb#OLE Automation\r\n";
    vbp += p.references + p.entries;
    vbp += "Startup=\"" + startup + "\"\r\nHelpFile=\"\"\r\nTitle=\"" + name + "\"\r\n";
    vbp += "ExeName32=\"" + name + "." + ext + "\"\r\nCommand32=\"\"\r\nName=\"" + name + "\"\r\n";
    vbp += "HelpContextID=\"0\"\r\nCompatibleMode=\"0\"\r\nMajorVer=1\r\nMinorVer=0\r\n";
    vbp += "RevisionVer=0\r\nAutoIncrementVer=0\r\nVersionCompanyName=\"サンプル商事\"\r\n";
    writeBytes(file, cp932(vbp));
    writeBytes(fs::path(file).replace_extension(".vbw"), p.workspace);
}

// The ActiveX DLL: two public classes whose members the applications use in part, a private
// class and a standard module that only the DLL uses.
std::size_t writeWidgets(const fs::path& folder, std::size_t lines) {
    fs::create_directories(folder);
    std::size_t written = 0;
    Text gauge;
    classHeader(gauge, "Gauge", true, true);
    gauge.add({"Public GaugeSpare As String", "Private mLevel As Long", "Private mCount As Long",
               "Private mUnused As String", "", "Private Sub Class_Initialize()",
               "    mLevel = WIDGET_BASE", "    WidgetsInit", "    Step0", "End Sub", ""});
    gauge.add({"Public Sub Refresh()", "    Dim core As WidgetCore",
               "    Set core = New WidgetCore", "    mLevel = core.CoreLevel(mLevel)", "End Sub",
               ""});
    gauge.add({"Public Property Get Level() As Long", "    Level = mLevel", "End Property", "",
               "Public Function Calibrate(ByVal n As Long) As Long", "    Calibrate = n * 2",
               "End Function", ""});
    addSteps(gauge, lines);
    written += writeModule(folder / "Gauge.cls", gauge);

    Text dial;
    classHeader(dial, "Dial", true, true);
    dial.add({"Public Value As Long", "Private mTurns As Long", "Private mCount As Long",
              "Private mUnused As String", "", "Private Sub Class_Initialize()", "    Reset",
              "    Step0", "End Sub", "", "Public Sub Reset()", "    mTurns = 0", "    Value = 0",
              "End Sub", "", "Public Sub Spin(ByVal n As Long)", "    mTurns = mTurns + n",
              "End Sub", ""});
    addSteps(dial, lines);
    written += writeModule(folder / "Dial.cls", dial);

    Text core;
    classHeader(core, "WidgetCore", false, false);
    core.add({"Public CoreSpare As Long", "Private mCount As Long", "Private mUnused As String", "",
              "Private Sub Class_Initialize()", "    CoreSelf", "    Step0", "End Sub", "",
              "Public Function CoreLevel(ByVal n As Long) As Long",
              "    gWidgetCount = gWidgetCount + 1", "    CoreLevel = n + 1", "End Function", "",
              "Public Sub CoreSelf()", "    mCount = 0", "End Sub", ""});
    addSteps(core, lines);
    written += writeModule(folder / "WidgetCore.cls", core);

    Text module;
    module.add({"Attribute VB_Name = \"modWidgets\"", "Option Explicit", "' 部品の共通定数と集計表",
                "Public Const WIDGET_BASE As Long = 10", "Public gWidgetCount As Long",
                "Public gWidgetUnused As String", "Private mCount As Long",
                "Private mUnused As String", "", "Public Sub WidgetsInit()", "    Step0", "End Sub",
                ""});
    addSteps(module, lines);
    written += writeModule(folder / "modWidgets.bas", module);

    ProjectText p;
    p.entry("Class=Gauge; Gauge.cls", "Gauge");
    p.entry("Class=Dial; Dial.cls", "Dial");
    p.entry("Class=WidgetCore; WidgetCore.cls", "WidgetCore");
    p.entry("Module=modWidgets; modWidgets.bas", "modWidgets");
    writeProject(folder / "Widgets.vbp", "OleDll", p, "(None)", "Widgets", "dll");
    return written;
}

}  // namespace

GeneratedGroup generateProjectGroup(const fs::path& folder, const GroupShape& shape) {
    if (!fs::create_directories(folder))
        throw std::runtime_error("folder exists: " + folder.string());
    Random rng(shape.seed);
    const std::size_t apps = std::max<std::size_t>(1, shape.applications);
    const std::size_t own = std::max<std::size_t>(1, shape.ownModules);
    const std::size_t lines = shape.linesPerModule;
    const std::size_t appWidth = widthFor(apps);
    const std::size_t sharedWidth = widthFor(shape.sharedModules);
    // Projects that use lib/: the applications, then the second project of the first one's
    // folder; it shares the first application's first standard module when there is one.
    const bool lite = shape.twoProjectsInOneFolder;
    const bool liteSharesModule = lite && own >= 2;
    const std::size_t users = apps + (lite ? 1 : 0);
    auto appName = [&](std::size_t a) { return "App" + padded(a + 1, appWidth); };

    std::vector<SharedPlan> plans(shape.sharedModules);
    std::vector<std::vector<std::size_t>> included(users);
    for (std::size_t s = 0; s < plans.size(); ++s) {
        std::vector<bool> in(users);
        std::size_t count = 0;
        for (std::size_t p = 0; p < users; ++p)
            if (rng.below(100) < 55) in[p] = true, ++count;
        while (count < std::min<std::size_t>(2, users)) {
            const std::size_t p = rng.below(users);
            if (!in[p]) in[p] = true, ++count;
        }
        SharedPlan& plan = plans[s];
        for (std::size_t p = 0; p < users; ++p)
            if (in[p]) plan.includers.push_back(p), included[p].push_back(s);
        plan.someUsers = std::min(count, std::max<std::size_t>(2, count / 2));
        plan.trapUser = plan.includers[rng.below(count)];
    }

    GeneratedGroup group;
    group.root = folder;
    group.groupFile = folder / "All.vbg";
    fs::create_directories(folder / "lib");
    for (std::size_t s = 0; s < plans.size(); ++s) {
        const std::string t = padded(s + 1, sharedWidth);
        group.lines +=
            writeModule(folder / "lib" / ("Shared" + t + ".bas"), sharedModule(t, lines));
    }

    auto sharedEntries = [&](ProjectText& p, std::size_t user, const std::string& lib) {
        for (std::size_t s : included[user]) {
            const std::string name = "Shared" + padded(s + 1, sharedWidth);
            p.entry("Module=" + name + "; ..\\..\\" + lib + "\\" + name + ".bas", name);
        }
    };
    std::string vbg = "VBGROUP 5.0\r\n";
    auto addToGroup = [&](const fs::path& file, const std::string& relative) {
        vbg += (group.projects.empty() ? "StartupProject=" : "Project=") + relative + "\r\n";
        group.projects.push_back(file);
    };

    for (std::size_t a = 0; a < apps; ++a) {
        const std::string name = appName(a);
        const fs::path dir = folder / "apps" / name;
        fs::create_directories(dir);
        const bool widgets = shape.activeX && a % 2 == 0;
        ProjectText p;
        if (widgets) p.references = "Reference=*\\A..\\..\\dll\\Widgets\\Widgets.vbp\r\n";
        p.entry("Form=frmMain.frm", "frmMain");

        Text form;
        const bool icon = a % 2 == 1;
        formHeader(form, "frmMain", "販売管理 " + name, icon);
        form.add("Public " + name + "MainSpare As Long");
        addPrivates(form);
        form.add("Private Sub Form_Load()");
        form.add("    Dim n As Long");
        for (std::size_t k = 2; k < own; k += 3)
            form.add("    Dim c" + std::to_string(k) + " As " + name + "Cls" + std::to_string(k));
        form.add("    Dim unusedTitle As String");
        form.add("    ' 起動時の初期化 (表示ﾓｰﾄﾞ)");
        form.add("    n = 1");
        useShared(form, a, included[a], plans, sharedWidth);
        for (std::size_t k = 1; k < own; ++k) {
            const std::string c = std::to_string(k);
            if (k % 3 == 1) {
                const std::string mod = name + "Mod" + c;
                form.add("    " + mod + "Run");
                form.add("    g" + mod + "Used = n");
                p.entry("Module=" + mod + "; " + mod + ".bas", mod);
                group.lines += writeModule(dir / (mod + ".bas"), standardModule(mod, lines));
            } else if (k % 3 == 2) {
                const std::string cls = name + "Cls" + c;
                form.add("    Set c" + c + " = New " + cls);
                form.add("    c" + c + "." + cls + "Run");
                p.entry("Class=" + cls + "; " + cls + ".cls", cls);
                group.lines += writeModule(dir / (cls + ".cls"), classModule(cls, lines));
            } else {
                const std::string prefix = name + "F" + c;
                form.add("    frm" + prefix + "." + prefix + "Title = \"明細 " + c + "\"");
                form.add("    frm" + prefix + ".Show");
                p.entry("Form=frm" + prefix + ".frm", "frm" + prefix);
                group.lines +=
                    writeModule(dir / ("frm" + prefix + ".frm"), detailForm(prefix, lines));
            }
        }
        form.add({"    Step0", "End Sub", "", "Private Sub cmdRun_Click()"});
        if (widgets) {
            form.add("    Dim w As Widgets.Gauge: Set w = New Widgets.Gauge: w.Refresh");
            if (a % 4 == 0) {
                form.add("    Dim d As Widgets.Dial");
                form.add("    Set d = New Widgets.Dial");
                form.add("    d.Value = w.Level");
            }
        }
        form.add({"    mCount = mCount + 1", "End Sub", ""});
        addSteps(form, lines);
        group.lines += writeModule(dir / "frmMain.frm", form);
        if (icon)
            writeBytes(dir / "frmMain.frx", std::string("\x0c\x00\x00\x00lt\x00\x00\x01\x00", 10));

        sharedEntries(p, a, "lib");
        writeProject(dir / (name + ".vbp"), "Exe", p, "frmMain", name, "exe");
        addToGroup(dir / (name + ".vbp"), "apps\\" + name + "\\" + name + ".vbp");

        if (a == 0 && lite) {
            // The second project of this folder: its own start-up module, this application's
            // first standard module, and shared modules named through "LIB", a folder name in
            // another case than the folder's own.
            const std::string liteName = name + "Lite";
            ProjectText q;
            const std::string mod = name + "Mod1";
            if (liteSharesModule) q.entry("Module=" + mod + "; " + mod + ".bas", mod);
            q.entry("Module=" + liteName + "Main; " + liteName + "Main.bas", liteName + "Main");
            Text main;
            main.add({"Attribute VB_Name = \"" + liteName + "Main\"", "Option Explicit",
                      "' 簡易版の起動処理", "Public g" + liteName + "Spare As Long"});
            addPrivates(main);
            main.add(
                {"Sub Main()", "    Dim n As Long", "    Dim unusedTitle As String", "    n = 1"});
            useShared(main, apps, included[apps], plans, sharedWidth);
            if (liteSharesModule) {
                main.add("    " + mod + "Run");
                main.add("    g" + mod + "Alt = \"ﾗｲﾄ\"");
            }
            main.add({"    Step0", "End Sub", ""});
            addSteps(main, lines);
            group.lines += writeModule(dir / (liteName + "Main.bas"), main);
            sharedEntries(q, apps, "LIB");
            writeProject(dir / (liteName + ".vbp"), "Exe", q, "Sub Main", liteName, "exe");
            addToGroup(dir / (liteName + ".vbp"), "apps\\" + name + "\\" + liteName + ".vbp");
        }
    }

    if (shape.activeX) {
        group.lines += writeWidgets(folder / "dll" / "Widgets", lines);
        addToGroup(folder / "dll" / "Widgets" / "Widgets.vbp", "dll\\Widgets\\Widgets.vbp");
    }
    writeBytes(group.groupFile, vbg);
    return group;
}

}  // namespace scourvane::bench
