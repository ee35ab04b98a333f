#include "usage/rows.h"

#include <gtest/gtest.h>

#include <random>

#include "text/lines.h"
#include "text/search.h"

namespace scourvane {
namespace {

// Random texts of CR LF, LF, lone CR and empty lines, with and without a last break; rows
// replaced at random, the rows moved now and then: the rows, their joined text, the rows that
// hold a word and the bytes read up to each row always agree with splitting the text into
// strings, joining those and searching each.
TEST(Rows, AgreeWithSplittingTheTextAndJoiningTheStrings) {
    std::mt19937 random(11);
    const std::string_view pieces[] = {"Dim x", "\r\n", "\n", "\r", "", "  End Sub", "'c"};
    for (int round = 0; round < 3000; ++round) {
        std::string text;
        for (unsigned n = random() % 12; n > 0; --n) text += pieces[random() % std::size(pieces)];
        std::vector<text::Bytes> expected = text::splitLines(text);
        Rows rows(text);
        ASSERT_EQ(rows.size(), expected.size()) << round;
        text::LineReader reader(text);
        for (std::size_t r = 0; r < rows.size(); ++r) {
            ASSERT_EQ(rows[r], expected[r]) << round;
            reader.readLine();
            ASSERT_EQ(rows.consumedAfter(r), reader.consumed()) << round << " row " << r;
        }
        for (unsigned n = rows.empty() ? 0 : random() % 3; n > 0; --n) {
            const std::size_t r = random() % rows.size();
            text::Bytes row = random() % 2 ? "M|" + text::Bytes(rows[r]) : text::Bytes();
            expected[r] = row;
            rows.set(r, std::move(row));
            if (random() % 2) {
                Rows moved = std::move(rows);
                rows = std::move(moved);
            }
        }
        for (const bool last : {true, false})
            ASSERT_EQ(rows.joined(last), text::joinLines(expected, last)) << round;
        for (const std::string_view needle : {"Dim", "x", "M|", "End Sub"}) {
            const std::vector<bool> holding = rows.holding(needle);
            for (std::size_t r = 0; r < rows.size(); ++r)
                ASSERT_EQ(holding[r], expected[r].find(needle) != std::string::npos)
                    << round << " row " << r << " [" << needle << "]";
        }
        ASSERT_EQ(Rows(expected).joined(), text::joinLines(expected)) << round;
    }
}

// The one search over the text against a search of each line: random texts of the needle's
// letters, spaces, CRs and LFs, so that matches run up to, into and across line ends.
TEST(Rows, HoldingAgreesWithASearchOfEachLine) {
    std::mt19937 rng(7);
    static const char alphabet[] = {'P', 'u', 'b', ' ', '\r', '\n', 'x'};
    std::uniform_int_distribution<std::size_t> pick(0, sizeof alphabet - 1);
    for (int round = 0; round < 20000; ++round) {
        std::string content(rng() % 60, ' ');
        for (char& c : content) c = alphabet[pick(rng)];
        const std::string needle = round % 2 ? "Pub" : "b P";
        std::vector<bool> expected;
        text::LineReader reader(content);
        while (!reader.atEnd()) expected.push_back(text::containsBytes(reader.readLine(), needle));
        ASSERT_EQ(Rows(content).holding(needle), expected) << round;
    }
}

}  // namespace
}  // namespace scourvane
