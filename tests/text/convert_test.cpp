#include "text/convert.h"

#include <gtest/gtest.h>

#include "support/files.h"

namespace scourvane::text {
namespace {

TEST(Convert, Cp932RoundTripsJapaneseText) {
    const CodePage& cp = CodePage::get(932);
    const std::string utf8 = "未使用 ﾌﾟﾛｼﾞｪｸﾄ 表示";
    auto bytes = fromUtf8(utf8, cp);
    ASSERT_TRUE(bytes);
    EXPECT_EQ(*bytes, "\x96\xa2\x8e\x67\x97\x70 \xcc\xdf\xdb\xbc\xde\xaa\xb8\xc4 \x95\x5c\x8e\xa6");
    EXPECT_EQ(toUtf8Exact(*bytes, cp), utf8);
    EXPECT_EQ(toUtf8(*bytes, cp), utf8);
}

TEST(Convert, InvalidBytesFailExactConversionAndShowAsReplacement) {
    const CodePage& cp = CodePage::get(932);
    const std::string bad =
        "a\x81\x20"
        "b\xFD";
    EXPECT_FALSE(toUtf8Exact(bad, cp).has_value());
    const std::string shown = toUtf8(bad, cp);
    EXPECT_NE(shown.find("\xEF\xBF\xBD"), std::string::npos);
    EXPECT_EQ(shown.front(), 'a');
    EXPECT_FALSE(fromUtf8("\xF0\x9F\x98\x80", cp).has_value());  // an emoji has no CP932 form
}

// The Vietnamese page's converter holds each letter back until it knows no combining mark
// follows: nothing may be lost at the end or before a byte that does not convert.
TEST(Convert, Cp1258KeepsTheLetterBeforeTheEndAndBeforeABadByte) {
    const CodePage& cp = CodePage::get(1258);
    EXPECT_EQ(toUtf8Exact("Vi\xEAt", cp), "Vi\xC3\xAAt");
    EXPECT_EQ(toUtf8("Vi\xEAt", cp), "Vi\xC3\xAAt");
    EXPECT_EQ(fromUtf8("Vi\xC3\xAAt", cp), "Vi\xEAt");
    EXPECT_EQ(toUtf8("\xEA" "b\x81" "c", cp), "\xC3\xAA" "b\xEF\xBF\xBD" "c");
}

TEST(Convert, OtherCodePages) {
    EXPECT_EQ(toUtf8Exact("caf\xE9", CodePage::get(1252)), "caf\xC3\xA9");
    EXPECT_EQ(fromUtf8("caf\xC3\xA9", CodePage::get(1252)), "caf\xE9");
    auto gbk = fromUtf8("中文", CodePage::get(936));
    ASSERT_TRUE(gbk);
    EXPECT_EQ(gbk->size(), 4u);
    EXPECT_EQ(toUtf8Exact(*gbk, CodePage::get(936)), "中文");
}

// Text in ASCII alone is taken as it is; the same bytes beside a character outside ASCII go
// through the converter. Both must say the same of the ASCII part, in every code page.
TEST(Convert, AsciiConvertsAloneAsBesideOtherCharacters) {
    std::string ascii;
    for (int b = 1; b < 128; ++b) ascii += static_cast<char>(b);
    for (int number : CodePage::known()) {
        SCOPED_TRACE(number);
        const CodePage& cp = CodePage::get(number);
        // The first character outside ASCII the page has, of one byte or of a lead byte and 0xA1.
        std::string mark;
        std::optional<std::string> other;
        for (int b = 0xA1; b <= 0xFE && !other; ++b) {
            std::string bytes(1, static_cast<char>(b));
            if (cp.isLead(static_cast<unsigned char>(b))) bytes += '\xA1';
            if (std::optional<std::string> shown = toUtf8Exact(bytes, cp)) {
                mark = *shown;
                other = bytes;
            }
        }
        ASSERT_TRUE(other);
        EXPECT_EQ(toUtf8Exact(ascii, cp), ascii);
        EXPECT_EQ(toUtf8(ascii, cp), ascii);
        EXPECT_EQ(fromUtf8(ascii, cp), ascii);
        EXPECT_EQ(toUtf8Exact(ascii + *other, cp), ascii + mark);
        EXPECT_EQ(fromUtf8(ascii + mark, cp), ascii + *other);
    }
}

}  // namespace
}  // namespace scourvane::text
