#include "project_generator.h"

#include <fstream>
#include <stdexcept>

#include "text/codepage.h"
#include "text/convert.h"

namespace scourvane::bench {

namespace fs = std::filesystem;

namespace {

// Lines of one generated procedure besides its body statements.
constexpr std::size_t kProcedureFrame = 12;
constexpr std::size_t kBodyStatements = 28;

struct ModuleText {
    std::vector<std::string> lines;  // UTF-8
    void add(std::string line) { lines.push_back(std::move(line)); }
};

std::string numbered(std::size_t k) {
    std::string s = std::to_string(k);
    return std::string(s.size() < 3 ? 3 - s.size() : 0, '0') + s;
}

void writeBytes(const fs::path& p, const std::string& bytes) {
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + p.string());
}

std::string toCp932(const ModuleText& m) {
    std::string utf8;
    for (const std::string& line : m.lines) utf8 += line + "\r\n";
    auto bytes = text::fromUtf8(utf8, text::CodePage::get(932));
    if (!bytes) throw std::runtime_error("generated text has no CP932 form");
    return *bytes;
}

// The procedures and declarations of module k of n, with `budget` lines at most after its
// header. gTotal of the next module and Run of the next module are used here, so every
// module's public names are used elsewhere but their spares are not.
void addCode(ModuleText& m, std::size_t k, std::size_t n, std::size_t budget) {
    const std::string self = numbered(k);
    const std::string next = numbered((k + 1) % n);
    m.add("Option Explicit");
    // 表 and ソ end in the byte of "\": a reader that is not aware of lead bytes trips here.
    m.add("' 集計表とｿｰｽの処理 (ﾓｼﾞｭｰﾙ " + self + ")");
    m.add("Public gTotal" + self + " As Long");
    m.add("Public gSpare" + self + " As String");
    m.add("Private mCount As Long");
    m.add("Private mUnused As Integer");
    m.add("");
    m.add("Public Sub Run" + self + "()");
    m.add("    Step" + self + "_0");
    if (k + 1 < n) m.add("    Run" + next);
    m.add("End Sub");
    m.add("");
    std::size_t used = m.lines.size();
    const std::size_t perProcedure = kProcedureFrame + kBodyStatements;
    std::size_t count = budget > used ? (budget - used) / perProcedure : 0;
    if (count == 0) count = 1;
    for (std::size_t j = 0; j < count; ++j) {
        const std::string name = "Step" + self + "_" + std::to_string(j);
        m.add("Private Sub " + name + "()");
        m.add("    Dim i As Long");
        m.add("    Dim total As Long");
        m.add("    Dim unused" + std::to_string(j) + " As String");
        m.add("    ' 予定表を更新する");
        m.add("    total = 0");
        m.add("    For i = 1 To 10");
        for (std::size_t s = 0; s < kBodyStatements; ++s)
            m.add("        total = total + i * " + std::to_string(s + 1) + " ' ｶｳﾝﾄ");
        m.add("    Next i");
        m.add("    mCount = mCount + total");
        m.add("    gTotal" + next + " = gTotal" + next + " + 1");
        if (j + 1 < count) m.add("    Step" + self + "_" + std::to_string(j + 1));
        m.add("End Sub");
        m.add("");
    }
}

}  // namespace

GeneratedProject generateProject(const fs::path& folder, std::size_t lines, std::size_t modules) {
    if (modules < 2) modules = 2;
    if (!fs::create_directories(folder))
        throw std::runtime_error("folder exists: " + folder.string());
    const std::string stem = folder.filename().string();
    const std::size_t budget = lines / modules;

    GeneratedProject project;
    project.projectFile = folder / (stem + ".vbp");
    std::string vbp = "Type=Exe\r\n";

    ModuleText form;
    form.add("VERSION 5.00");
    form.add("Begin VB.Form frmMain");
    form.add("   Caption         =   \"ﾒｲﾝ\"");
    form.add("   Begin VB.CommandButton cmdGo");
    form.add("      Caption         =   \"実行\"");
    form.add("   End");
    form.add("End");
    form.add("Attribute VB_Name = \"frmMain\"");
    addCode(form, 0, modules, budget);
    writeBytes(folder / "Main.frm", toCp932(form));
    writeBytes(folder / "Main.frx", std::string("\x0c\x00\x00\x00frx data", 12));
    project.modules.push_back("Main.frm");
    project.lines += form.lines.size();
    vbp += "Form=Main.frm\r\n";

    for (std::size_t k = 1; k < modules; ++k) {
        ModuleText m;
        const std::string name = "Mod" + numbered(k);
        m.add("Attribute VB_Name = \"" + name + "\"");
        addCode(m, k, modules, budget);
        writeBytes(folder / (name + ".bas"), toCp932(m));
        project.modules.push_back(name + ".bas");
        project.lines += m.lines.size();
        vbp += "Module=" + name + "; " + name + ".bas\r\n";
    }
    vbp += "Startup=\"frmMain\"\r\nName=\"" + stem + "\"\r\n";
    writeBytes(project.projectFile, vbp);
    writeBytes(folder / (stem + ".vbw"), "frmMain = 0, 0, 0, 0, C, 0, 0, 0, 0, C\r\n");
    return project;
}

}  // namespace scourvane::bench
