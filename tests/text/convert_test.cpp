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

TEST(Convert, OtherCodePages) {
    EXPECT_EQ(toUtf8Exact("caf\xE9", CodePage::get(1252)), "caf\xC3\xA9");
    EXPECT_EQ(fromUtf8("caf\xC3\xA9", CodePage::get(1252)), "caf\xE9");
    auto gbk = fromUtf8("中文", CodePage::get(936));
    ASSERT_TRUE(gbk);
    EXPECT_EQ(gbk->size(), 4u);
    EXPECT_EQ(toUtf8Exact(*gbk, CodePage::get(936)), "中文");
}

}  // namespace
}  // namespace scourvane::text
