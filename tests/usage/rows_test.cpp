#include "usage/rows.h"

#include <gtest/gtest.h>

#include <random>

#include "text/lines.h"

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

}  // namespace
}  // namespace scourvane
