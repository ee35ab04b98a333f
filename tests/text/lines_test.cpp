#include "text/lines.h"

#include <gtest/gtest.h>

#include <random>

#include "text/search.h"

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

// The one search over the text against a search of each line: random texts of the needle's
// letters, spaces, CRs and LFs, so that matches run up to, into and across line ends.
TEST(LinesHolding, AgreesWithASearchOfEachLine) {
    std::mt19937 rng(7);
    static const char alphabet[] = {'P', 'u', 'b', ' ', '\r', '\n', 'x'};
    std::uniform_int_distribution<std::size_t> pick(0, sizeof alphabet - 1);
    for (int round = 0; round < 20000; ++round) {
        std::string content(rng() % 60, ' ');
        for (char& c : content) c = alphabet[pick(rng)];
        const std::string needle = round % 2 ? "Pub" : "b P";
        std::vector<bool> expected;
        LineReader reader(content);
        while (!reader.atEnd()) expected.push_back(containsBytes(reader.readLine(), needle));
        ASSERT_EQ(linesHolding(content, needle), expected) << round;
    }
}

}  // namespace
}  // namespace scourvane::text
