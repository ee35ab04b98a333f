#include "text/search.h"

#include <gtest/gtest.h>

#include "support/files.h"
#include "text/codepage.h"

namespace scourvane::text {
namespace {

using testing::sjis;

class Cp932 : public ::testing::Test {
  protected:
    ScopedCodePage cp{932};
};

TEST_F(Cp932, FindSkipsMatchesThatStartOnATrailByte) {
    // "ソ" is 83 5C: its trail byte looks like "\".
    const std::string s = sjis("ソ");
    EXPECT_EQ(find(s, "\\"), npos);
    EXPECT_EQ(find(s + "\\", "\\"), 2u);
    // "ダ" is 83 5F: its trail byte looks like "_".
    const std::string line = sjis("x = ダ");
    EXPECT_FALSE(contains(line, "_"));
    EXPECT_FALSE(endsWith(line, "_"));
    EXPECT_TRUE(endsWith(line + " _", " _"));
    // "ア" is 83 41: its trail byte looks like "A".
    const std::string a = sjis("アA");
    EXPECT_EQ(find(a, "A"), 2u);
    EXPECT_EQ(rfind(sjis("アア"), "A"), npos);
}

TEST_F(Cp932, FindStartsFromTheGivenPositionAndReportsByteOffsets) {
    const std::string s = sjis("表示 Dim 表 Dim");
    std::size_t first = find(s, "Dim");
    ASSERT_NE(first, npos);
    EXPECT_EQ(first, 5u);
    EXPECT_EQ(find(s, "Dim", first + 1), 12u);
    EXPECT_EQ(rfind(s, "Dim"), 12u);
    EXPECT_EQ(find(s, ""), 0u);
    EXPECT_EQ(find("", "x"), npos);
    EXPECT_EQ(find("abc", "abcd"), npos);
}

TEST_F(Cp932, FindLastOfNeverStopsOnATrailByte) {
    const std::string entry = sjis("Forms\\表.frm");  // 表 is 95 5C
    std::size_t k = findLastOf(entry, "\\/");
    EXPECT_EQ(k, 5u);
    EXPECT_EQ(entry.substr(k + 1), sjis("表.frm"));
    EXPECT_EQ(findLastOf(sjis("表"), "\\"), npos);
    EXPECT_EQ(findLastOf("a/b\\c/d", "\\/"), 5u);
}

TEST_F(Cp932, ReplaceAllIsLeftToRightAndCharacterAware) {
    EXPECT_EQ(replaceAll("aaaa", "aa", "b"), "bb");
    EXPECT_EQ(replaceAll("x, y, z", ", ", "\r\nDim "), "x\r\nDim y\r\nDim z");
    const std::string s = sjis("ソ\\ソ");
    EXPECT_EQ(replaceAll(s, "\\", "/"), sjis("ソ/ソ"));
    EXPECT_EQ(replaceAll("abc", "", "x"), "abc");
}

TEST_F(Cp932, UpperCaseFoldsAsciiAndFullWidthLettersOnly) {
    EXPECT_EQ(toUpper("Main.frm"), "MAIN.FRM");
    EXPECT_EQ(toUpper(sjis("ａｂｚ")), sjis("ＡＢＺ"));
    // Trail bytes that look like lower-case letters are not touched: "使" is 8E 67 ("g").
    EXPECT_EQ(toUpper(sjis("使")), sjis("使"));
    EXPECT_EQ(toUpper(sjis("ソ_x")), sjis("ソ_X"));
}

TEST_F(Cp932, CompareIgnoringCaseFoldsOnlyCharacterStarts) {
    EXPECT_EQ(compareIgnoringCase("Beta.bas", "beta.BAS"), 0);
    EXPECT_LT(compareIgnoringCase("alpha.frm", "Beta.bas"), 0);
    EXPECT_GT(compareIgnoringCase("Zeta\\Alpha.frm", "Beta.bas"), 0);
    EXPECT_LT(compareIgnoringCase("ab", "abc"), 0);
    EXPECT_LT(compareIgnoringCase("_x", "ax"), 0);  // "_" sorts before letters
    // "ア" (83 41) and "ャ" (83 61): the trail bytes look like "A" and "a" but differ.
    EXPECT_NE(compareIgnoringCase(sjis("ア"), sjis("ャ")), 0);
}

TEST(CodePages, DoubleByteLeadRangesAndSingleByte1252) {
    const CodePage& cp932 = CodePage::get(932);
    EXPECT_TRUE(cp932.isLead(0x81));
    EXPECT_TRUE(cp932.isLead(0x9F));
    EXPECT_FALSE(cp932.isLead(0xA0));  // half-width katakana are single bytes
    EXPECT_FALSE(cp932.isLead(0xDF));
    EXPECT_TRUE(cp932.isLead(0xE0));
    EXPECT_TRUE(cp932.isLead(0xFC));
    EXPECT_FALSE(cp932.isLead(0xFD));
    for (int n : {936, 949, 950}) {
        EXPECT_TRUE(CodePage::get(n).isLead(0x81)) << n;
        EXPECT_TRUE(CodePage::get(n).isLead(0xFE)) << n;
        EXPECT_FALSE(CodePage::get(n).isLead(0x80)) << n;
    }
    const CodePage& cp1252 = CodePage::get(1252);
    EXPECT_FALSE(cp1252.isDoubleByte());
    // In 1252, 0x83 is a character of its own and "\" after it is found.
    EXPECT_EQ(find("\x83\\", "\\", 0, cp1252), 1u);
    EXPECT_THROW(CodePage::get(65001), std::invalid_argument);
}

TEST_F(Cp932, ALeadByteAtTheVeryEndIsOneCharacter) {
    const std::string s = "ab\x83";
    EXPECT_EQ(find(s, "\x83"), 2u);
    EXPECT_TRUE(isCharStart(s, 3));
    EXPECT_EQ(toUpper(s), "AB\x83");
}

}  // namespace
}  // namespace scourvane::text
