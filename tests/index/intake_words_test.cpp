// Words counted while intake copies are handed out only for the bytes they were counted from,
// under the rules and the code page they were counted for, and once; whatever is handed out
// counts as counting the bytes afresh would.
#include "index/intake_words.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "text/codepage.h"

namespace scourvane {
namespace {

std::map<std::string, std::uint32_t> codeLines(const FileWords& w) {
    std::map<std::string, std::uint32_t> m;
    for (const auto& c : w.codeWords) m[std::string(w.text(c.word))] += c.lines;
    return m;
}

TEST(IntakeWords, HandsOutWordsOnlyForTheBytesRulesAndPageTheyWereCountedFor) {
    text::ScopedCodePage page(932);
    const std::string content = "Dim a As Long\r\na = b + \"c\"\r\n' d\r\n";
    WordIds scratch;
    const auto expected = codeLines(fileWords(content, scratch, true));
    IntakeWords ahead(true);
    constexpr int kFiles = 40;
    auto path = [](int i) { return "M" + std::to_string(i) + ".bas"; };
    for (int i = 0; i < kFiles; ++i) ahead.copied(path(i), content);
    for (int i = 0; i < kFiles; ++i) {
        switch (i % 4) {
            case 0: {
                // The file as copied: its words, or nothing when its count had not begun
                // (the caller counts it then).
                const std::optional<FileWords> words = ahead.take(path(i), content, true);
                if (words) EXPECT_EQ(codeLines(*words), expected) << i;
                break;
            }
            case 1:  // changed since, to the same length
                EXPECT_FALSE(ahead.take(path(i), "Dim a As Lonh\r\na = b + \"c\"\r\n' d\r\n", true));
                break;
            case 2:  // asked for under the other rules
                EXPECT_FALSE(ahead.take(path(i), content, false));
                break;
            case 3: {  // asked for in another code page
                text::ScopedCodePage other(1252);
                EXPECT_FALSE(ahead.take(path(i), content, true));
                break;
            }
        }
        // Once only, and never for a file intake did not copy.
        EXPECT_FALSE(ahead.take(path(i), content, true)) << i;
    }
    EXPECT_FALSE(ahead.take("Other.bas", content, true));
}

}  // namespace
}  // namespace scourvane
