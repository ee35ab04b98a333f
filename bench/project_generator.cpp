#include "project_generator.h"

#include <algorithm>
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

std::string padded(std::size_t k, std::size_t width) {
    std::string s = std::to_string(k);
    return std::string(s.size() < width ? width - s.size() : 0, '0') + s;
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

GeneratedProject generateModuleProject(const fs::path& folder, const ModuleShape& shape) {
    if (!fs::create_directories(folder))
        throw std::runtime_error("folder exists: " + folder.string());
    const std::string stem = folder.filename().string();
    const std::string moduleName = "Shaped";

    ModuleText m;
    m.add("Attribute VB_Name = \"" + moduleName + "\"");
    m.add("Option Explicit");
    m.add("' 集計表とｿｰｽの処理 (ﾓｼﾞｭｰﾙ " + moduleName + ")");
    const std::size_t width = std::to_string(shape.privateVariables).size();
    std::vector<std::string> usedPrivates;
    for (std::size_t k = 0; k < shape.privateVariables; ++k) {
        const std::string name = "mName" + padded(k, width);
        m.add("Private " + name + " As Long");
        if (k % 2 == 0) usedPrivates.push_back(name);
    }
    m.add("");
    m.add("Public Sub Run()");
    m.add("    Step0");
    m.add("End Sub");
    m.add("");

    std::vector<std::string> usedDims;
    for (std::size_t d = 0; d < shape.dimsPerProcedure; ++d)
        if (d % 3 != 2) usedDims.push_back("v" + std::to_string(d));
    // Besides its Dim lines and body: the header, the call of the next one, the end line and
    // the empty line after it.
    constexpr std::size_t kFrame = 4;
    const std::size_t perProcedure =
        std::max(shape.procedureLines, shape.dimsPerProcedure + kFrame + 1);
    const std::size_t room = shape.lines > m.lines.size() ? shape.lines - m.lines.size() : 0;
    const std::size_t count = std::max<std::size_t>(1, room / perProcedure);
    const std::size_t body = perProcedure - shape.dimsPerProcedure - kFrame;
    std::size_t nextPrivate = 0;
    for (std::size_t j = 0; j < count; ++j) {
        m.add("Private Sub Step" + std::to_string(j) + "()");
        for (std::size_t d = 0; d < shape.dimsPerProcedure; ++d)
            m.add("    Dim v" + std::to_string(d) + " As Long");
        // Used names come round in turn, so each is used as soon as the body is long enough.
        std::size_t nextDim = 0;
        for (std::size_t s = 0; s < body; ++s) {
            const std::string step = std::to_string(s + 1);
            if (s % 10 == 9) {
                m.add("    ' 予定表を更新する");
            } else if (s % 2 == 1 && !usedPrivates.empty()) {
                const std::string& name = usedPrivates[nextPrivate++ % usedPrivates.size()];
                m.add("    " + name + " = " + name + " + " + step);
            } else if (!usedDims.empty()) {
                const std::string& name = usedDims[nextDim++ % usedDims.size()];
                m.add("    " + name + " = " + name + " * " + step + " ' ｶｳﾝﾄ");
            } else {
                m.add("    DoEvents");
            }
        }
        m.add(j + 1 < count ? "    Step" + std::to_string(j + 1) : std::string("    DoEvents"));
        m.add("End Sub");
        m.add("");
    }

    GeneratedProject project;
    project.projectFile = folder / (stem + ".vbp");
    writeBytes(folder / (moduleName + ".bas"), toCp932(m));
    project.modules.push_back(moduleName + ".bas");
    project.lines = m.lines.size();
    writeBytes(project.projectFile, "Type=Exe\r\nModule=" + moduleName + "; " + moduleName +
                                        ".bas\r\nStartup=\"Sub Main\"\r\nName=\"" + stem +
                                        "\"\r\n");
    writeBytes(folder / (stem + ".vbw"), moduleName + " = 0, 0, 0, 0, C\r\n");
    return project;
}

}  // namespace scourvane::bench
