#include "collect/line_zones.h"

#include <gtest/gtest.h>

#include "support/files.h"
#include "text/codepage.h"

namespace scourvane {
namespace {

// One letter per byte: c code, n nested, s string, m comment.
std::string map(std::string_view line) {
    std::string out;
    for (Zone z : lineZones(line)) out += "cnsm"[static_cast<int>(z)];
    return out;
}

TEST(LineZones, StringsCommentsAndParentheses) {
    EXPECT_EQ(map(R"(a = "x, y" ' c)"), "ccccsssssscmmm");
    EXPECT_EQ(map(R"(s = "say ""hi""", t)"), "ccccssssssssssssccc");
    EXPECT_EQ(map(R"(s = "it's" 'x")"), "ccccsssssscmmm");  // ' in a string, " in a comment
    EXPECT_EQ(map("f(a, (b)), c"), "cnnnnnnnnccc");
    EXPECT_EQ(map("x) (y"), "cccnn");  // an unmatched ")" closes nothing
    EXPECT_EQ(map(R"(x = "open)"), "ccccsssss");
    EXPECT_EQ(map(""), "");
}

TEST(LineZones, RemStartsACommentWhereAStatementBegins) {
    EXPECT_EQ(map("  Rem a, b"), "ccmmmmmmmm");
    EXPECT_EQ(map("Rem"), "mmm");
    EXPECT_EQ(map("x = 1: Rem y"), "cccccccmmmmm");
    EXPECT_EQ(map("Remark = 1"), "cccccccccc");
    EXPECT_EQ(map("x = Rem"), "ccccccc");            // no statement starts there
    EXPECT_EQ(map("s = \": Rem\""), "ccccsssssss");  // inside a string
}

TEST(LineZones, DoubleByteCharactersShareOneZone) {
    text::ScopedCodePage cp(932);
    // ソ is 83 5C and ダ is 83 5F: both bytes of each carry the zone of the character.
    const std::string line = testing::sjis("\"ソ\" 'ダ");
    EXPECT_EQ(map(line), "sssscmmm");
}

}  // namespace
}  // namespace scourvane
