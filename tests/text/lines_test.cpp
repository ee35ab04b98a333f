#include "text/lines.h"

#include <gtest/gtest.h>

namespace scourvane::text {
namespace {

using Rows = std::vector<std::string>;

TEST(LineReader, AcceptsCrLfAndLfAndKeepsALoneCr) {
    EXPECT_EQ(splitLines("a\r\nb\nc"), (Rows{"a", "b", "c"}));
    EXPECT_EQ(splitLines("a\rb\r\n"), (Rows{"a\rb"}));
    EXPECT_EQ(splitLines("a\r\r\n"), (Rows{"a\r"}));
    EXPECT_EQ(splitLines("\r\n\r\n"), (Rows{"", ""}));
    EXPECT_EQ(splitLines(""), Rows{});
    EXPECT_EQ(splitLines("x"), (Rows{"x"}));
    EXPECT_EQ(splitLines("x\r"), (Rows{"x\r"}));
}

TEST(LineReader, CountsConsumedBytesWithTerminators) {
    LineReader r("ab\r\ncd\nef");
    EXPECT_EQ(r.readLine(), "ab");
    EXPECT_EQ(r.consumed(), 4u);
    EXPECT_EQ(r.readLine(), "cd");
    EXPECT_EQ(r.consumed(), 7u);
    EXPECT_FALSE(r.atEnd());
    EXPECT_EQ(r.readLine(), "ef");
    EXPECT_TRUE(r.atEnd());
    EXPECT_EQ(r.consumed(), r.size());
}

TEST(LineReader, LinesWrittenBackUnchangedKeepEveryByte) {
    // Bytes of every value but CR and LF, including double-byte characters and NULs.
    std::string line;
    for (int c = 0; c < 256; ++c)
        if (c != '\r' && c != '\n') line += static_cast<char>(c);
    const std::string file = line + "\r\n" + line + "\r\n";
    EXPECT_EQ(joinLines(splitLines(file)), file);
}

TEST(LineReader, VeryLongLinesAreReadWhole) {
    const std::string big(1 << 20, 'x');
    Rows rows = splitLines(big + "\r\n" + big);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].size(), big.size());
}

TEST(JoinLines, TerminatesEveryRowOrAllButTheLast) {
    EXPECT_EQ(joinLines({"a", "b"}), "a\r\nb\r\n");
    EXPECT_EQ(joinLines({"a", "b"}, false), "a\r\nb");
    EXPECT_EQ(joinLines({}, false), "");
    EXPECT_EQ(joinLines({""}), "\r\n");
}

}  // namespace
}  // namespace scourvane::text
