// Projects written on every Windows locale: for each code page the program takes, a project
// whose folder, module file names and identifiers are letters of that page (module file names
// as the page's own bytes in the project file, the files on disk named in UTF-8 as they unpack
// on Linux). Intake must find every file, and the working copy must hold the user's lines byte
// for byte outside the lines the run marked or demoted.
#include <gtest/gtest.h>

#include "base/window.h"
#include "engine/engine.h"
#include "support/files.h"
#include "support/recording_window.h"
#include "text/codepage.h"
#include "text/convert.h"
#include "text/lines.h"
#include "usage/marking.h"

namespace scourvane::testing {
namespace {

// Letters of the page: the upper half's bytes that decode to a letter (for the double-byte
// pages, a pair of a lead byte and a trail byte), a few of them.
std::vector<std::string> lettersOf(const text::CodePage& cp) {
    std::vector<std::string> out;
    for (int b = 0xC0; b <= 0xFE && out.size() < 6; ++b) {
        std::string bytes(1, static_cast<char>(b));
        if (cp.isDoubleByte()) {
            if (!cp.isLead(static_cast<unsigned char>(b))) continue;
            bytes += static_cast<char>(0xA1 + out.size());
        }
        const auto utf8 = text::toUtf8Exact(bytes, cp);
        if (!utf8 || utf8->empty() || utf8->find('?') != std::string::npos) continue;
        // A letter: not a symbol, as far as the first code point shows (U+00C0 and up).
        if (static_cast<unsigned char>((*utf8)[0]) < 0xC3) continue;
        out.push_back(bytes);
    }
    return out;
}

TEST(CodePages, EveryPageFindsItsFilesAndKeepsItsBytes) {
    for (int number : text::CodePage::known()) {
        SCOPED_TRACE(number);
        const text::CodePage& cp = text::CodePage::get(number);
        text::setActiveCodePage(cp);
        const std::vector<std::string> letters = lettersOf(cp);
        ASSERT_GE(letters.size(), 3u) << "no letters found";
        const std::string a = letters[0], b = letters[1], c = letters[2];
        auto utf8 = [&](const std::string& bytes) { return *text::toUtf8Exact(bytes, cp); };
        TempDir dir;
        const fs::path folder = dir / ("P" + utf8(a + b));
        // A module in a subfolder named in the page's letters, and a class.
        const std::string module = "M" + a + b + ".bas", klass = "C" + c + ".cls";
        const std::string sub = "S" + c + a;
        writeFile(folder / "P.vbp", "Type=Exe\r\nModule=M; " + sub + "\\" + module +
                                        "\r\nClass=C; " + klass + "\r\n");
        const std::string moduleText =
            "Attribute VB_Name = \"M\"\r\nOption Explicit\r\n"
            "Public g" + a + " As Long  ' " + b + c + "\r\n"
            "Private p" + b + " As String\r\n"
            "Public Sub Run" + c + "()\r\n    Dim x" + a + " As Long\r\n    Dim y" + b + " As Long\r\n"
            "    x" + a + " = g" + a + " + 1\r\n    MsgBox \"" + a + b + c + "\" & x" + a + "\r\nEnd Sub\r\n";
        const std::string classText =
            "VERSION 1.0 CLASS\r\nBEGIN\r\n  MultiUse = -1\r\nEND\r\nAttribute VB_Name = \"C\"\r\n"
            "Private Sub Class_Initialize()\r\n    Run" + c + "\r\nEnd Sub\r\n";
        writeFile(folder / utf8(sub) / utf8(module), moduleText);
        writeFile(folder / utf8(klass), classText);

        RecordingWindow window;
        Engine engine(window);
        engine.intake(folder / "P.vbp");
        engine.run();
        EXPECT_TRUE(window.errors.empty()) << window.errors.front();
        ASSERT_EQ(engine.session().modules.size(), 2u);

        // Outside the lines the run marked (or made Private), the copy is the user's, byte for byte.
        const Bytes marker = unusedMarker();
        const fs::path copy = folder / ("New_" + folder.filename().string());
        for (const auto& [name, original] :
             {std::pair{module, moduleText}, std::pair{klass, classText}}) {
            const auto before = text::splitLines(original);
            const auto after = text::splitLines(readFile(copy / utf8(name)));
            ASSERT_EQ(after.size(), before.size()) << utf8(name);
            int marked = 0;
            for (std::size_t i = 0; i < before.size(); ++i) {
                if (after[i] == before[i]) continue;
                const bool isMarked = after[i] == marker + before[i];
                const bool demoted = before[i].starts_with("Public ") &&
                                     after[i] == "Private " + before[i].substr(7);
                EXPECT_TRUE(isMarked || demoted) << utf8(name) << ":" << i + 1;
                marked += isMarked;
            }
            if (name == module) {
                EXPECT_GE(marked, 2) << "the unused Dim and Private were not marked";
            }
        }
    }
    text::setActiveCodePage(text::CodePage::platformDefault());
}

}  // namespace
}  // namespace scourvane::testing
