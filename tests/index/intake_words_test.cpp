// Words counted while intake copies are handed out only for the bytes they were counted from,
// under the rules and the code page they were counted for, and once; whatever is handed out
// counts as counting the bytes afresh would. The same holds for the rows tokenised with them.
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
    const std::vector<std::uint32_t> sameRows{0, 1, 2};
    IntakeWords ahead(true);
    constexpr int kFiles = 40;
    auto path = [](int i) { return "M" + std::to_string(i) + ".bas"; };
    // The first half counted by the worker before anything is asked (and asked for before the
    // second is copied, so that no count goes on while the code page is switched below); the
    // second half mostly counted by whoever asks first.
    for (int i = 0; i < kFiles; ++i) {
        if (i == 0 || i == kFiles / 2) {
            for (int k = i; k < i + kFiles / 2; ++k) ahead.copied(path(k), content);
            if (i == 0) ahead.finish();
        }
        if (i >= kFiles / 2 && i % 4 == 3) continue;
        switch (i % 4) {
            case 0: {
                // The file as copied: its words and rows, taken in either order.
                std::optional<PackedRowTokens> rows;
                if (i % 8 == 4) rows = ahead.takeTokens(path(i), content);
                const std::optional<FileWords> words = ahead.take(path(i), content, true);
                if (i % 8 == 0) rows = ahead.takeTokens(path(i), content);
                ASSERT_TRUE(words && rows) << i;
                EXPECT_EQ(codeLines(*words), expected) << i;
                EXPECT_EQ(codeLines(RowTokens(content, content, *rows, sameRows).ownWords()),
                          expected)
                    << i;
                break;
            }
            case 1: {  // changed since, to the same length
                const std::string changed = "Dim a As Lonh\r\na = b + \"c\"\r\n' d\r\n";
                EXPECT_FALSE(ahead.takeTokens(path(i), changed));
                EXPECT_FALSE(ahead.take(path(i), changed, true));
                break;
            }
            case 2:  // words asked for under the other rules; the rows are still there
                EXPECT_FALSE(ahead.take(path(i), content, false));
                EXPECT_TRUE(ahead.takeTokens(path(i), content)) << i;
                break;
            case 3: {  // asked for in another code page
                text::ScopedCodePage other(1252);
                EXPECT_FALSE(ahead.takeTokens(path(i), content));
                EXPECT_FALSE(ahead.take(path(i), content, true));
                break;
            }
        }
        // Once only, and never for a file intake did not copy.
        EXPECT_FALSE(ahead.take(path(i), content, true)) << i;
        EXPECT_FALSE(ahead.takeTokens(path(i), content)) << i;
    }
    EXPECT_FALSE(ahead.take("Other.bas", content, true));
    EXPECT_FALSE(ahead.takeTokens("Other.bas", content));
}

}  // namespace
}  // namespace scourvane
