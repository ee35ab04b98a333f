// Folding and the identifiers of a line, on random lines of every code page: the fast fold
// against a byte-by-byte reference, and the tokens of a line against those of the line folded
// first (which is how the cross-module index reads a whole file).
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <utility>
#include <vector>

#include "rules/identifiers.h"
#include "text/codepage.h"

namespace scourvane {
namespace {

// Upper-cases the single-byte letters, stepping over each double-byte character whole.
std::string referenceFold(const std::string& s, const text::CodePage& cp) {
    std::string out;
    for (std::size_t i = 0; i < s.size();) {
        const std::size_t n = cp.charLength(s, i);
        std::string ch = s.substr(i, n);
        if (n == 1 && ch[0] >= 'a' && ch[0] <= 'z') ch[0] = static_cast<char>(ch[0] - 32);
        out += ch;
        i += n;
    }
    return out;
}

// Lines of pieces that matter to the scan: letters of both cases, digits, quotes, comments,
// colons, Rem, tabs, and bytes that lead or trail double-byte characters (some trail bytes are
// lower-case letters), in long ASCII runs and short mixed ones.
std::string randomLine(std::mt19937& rng) {
    static const std::vector<std::string> pieces = {
        "abc", "Dim", "x", "Rem", "rem ", " ", "\t", ":", "'", "\"", "\"\"", "(", ")", ".", ",",
        "$", "_", "9", "Call", "Total", "outdxf$", "\x82\xa0", "\x83\x61", "\x95\x5c", "\x81",
        "\xe9", "\xfc\x7a", "abcdefghijklmnopqrstuvwxyz", "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789",
        "the quick brown fox jumps", "\xb1\xb2", "\x80", "`{|}~@[\\]^"};
    std::uniform_int_distribution<std::size_t> count(0, 24), pick(0, pieces.size() - 1);
    std::string line;
    for (std::size_t k = count(rng); k > 0; --k) line += pieces[pick(rng)];
    return line;
}

std::vector<std::pair<std::string, bool>> tokens(const std::string& line,
                                                 const text::CodePage& cp) {
    std::vector<std::pair<std::string, bool>> out;
    std::string scratch;
    forEachIdentifier(
        line, cp, true,
        [&](std::string_view token, bool literal) { out.emplace_back(token, literal); }, scratch);
    return out;
}

TEST(Identifiers, FoldingMatchesTheReferenceAndFoldedLinesGiveTheSameTokens) {
    std::mt19937 rng(2026);
    for (int number : {932, 936, 949, 950, 1252}) {
        SCOPED_TRACE(number);
        const text::CodePage& cp = text::CodePage::get(number);
        for (int i = 0; i < 3000; ++i) {
            const std::string line = randomLine(rng);
            std::string folded = line;
            identifiers::foldInPlace(folded, cp);
            ASSERT_EQ(folded, referenceFold(line, cp)) << line;
            ASSERT_EQ(identifiers::folded(line, cp), folded);
            const auto mine = tokens(line, cp);
            ASSERT_EQ(mine, tokens(folded, cp)) << line;
            // Every token comes folded already.
            for (const auto& [token, literal] : mine) ASSERT_EQ(token, referenceFold(token, cp));
        }
    }
}

}  // namespace
}  // namespace scourvane
