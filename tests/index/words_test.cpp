// Counting uses through the words of the lines must give exactly what the occurrence test gives
// line by line. Random lines full of what trips a word split (boundary bytes in every pair,
// apostrophes before and after a name, "_Error", double-byte characters whose trail byte looks
// like "\", "_", "(" or a letter, lone lead bytes) against random names, plain or not.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <numeric>
#include <random>
#include <set>

#include "collect/module_collection.h"
#include "index/file_words.h"
#include "index/name_words.h"
#include "index/row_tokens.h"
#include "index/safe_names.h"
#include "index/word_ids.h"
#include "rules/identifiers.h"
#include "rules/occurrence.h"
#include "text/codepage.h"
#include "text/lines.h"
#include "usage/use_counter.h"

namespace scourvane {
namespace {

const char* const kPieces[] = {
    "Foo",      "Fo",       "oo",       "Bar",    "x",        "1",
    " ",        " ",        " ",        "(",      ")",        ".",
    ",",        "'",        "\"",       "_Error", "_Err",     "\t",
    ":",        "$",        "!",        "=",      "\x83\x5C", "\x81\x5F",
    "\x83\x28", "\x82\x60", "\x83\x41", "\x81",   "\xE0",     "'<\x96\xA2\x8E\x67\x97\x70> |",
};
const char* const kNames[] = {
    "Foo",      "Fo", "oo",  "Bar",  "x", "1",  "\x83\x5C", "\x81\x5F", "Foo\x83\x5C",
    "\x82\x60", "A",  "a.b", "Foo,", ")", "x'", "\x83\x28", "F",
};

std::string randomLine(std::mt19937& rng) {
    std::uniform_int_distribution<std::size_t> pick(0, std::size(kPieces) - 1);
    std::uniform_int_distribution<int> length(0, 14);
    std::string line;
    for (int n = length(rng); n > 0; --n) line += kPieces[pick(rng)];
    return line;
}

std::vector<text::Bytes> randomNames(std::mt19937& rng) {
    std::uniform_int_distribution<std::size_t> pick(0, std::size(kNames) - 1);
    std::uniform_int_distribution<int> count(1, 6);
    std::vector<text::Bytes> names;
    for (int n = count(rng); n > 0; --n) names.emplace_back(kNames[pick(rng)]);  // repeats too
    return names;
}

class WordCounting : public ::testing::TestWithParam<int> {
  protected:
    text::ScopedCodePage cp{GetParam()};
};

TEST_P(WordCounting, NameLookupAgreesWithTheOccurrenceTestOnEveryLine) {
    std::mt19937 rng(static_cast<unsigned>(GetParam()));
    for (int round = 0; round < 3000; ++round) {
        const std::vector<text::Bytes> names = randomNames(rng);
        NameWords lookup(names);
        for (int l = 0; l < 8; ++l) {
            const std::string line = randomLine(rng);
            std::set<std::size_t> hit;
            lookup.forEachUse(line, [&](std::uint32_t g) {
                for (std::size_t k : lookup.members(g)) EXPECT_TRUE(hit.insert(k).second);
            });
            for (std::size_t k : lookup.unplain())
                if (usesName(line, names[k])) hit.insert(k);
            for (std::size_t k = 0; k < names.size(); ++k)
                ASSERT_EQ(hit.count(k) == 1, usesName(line, names[k]))
                    << "round " << round << " line [" << line << "] name [" << names[k] << "]";
        }
    }
}

TEST_P(WordCounting, IndexedCountsEqualPlainCounts) {
    std::mt19937 rng(static_cast<unsigned>(GetParam()) + 1);
    for (int round = 0; round < 500; ++round) {
        const std::vector<text::Bytes> names = randomNames(rng);
        std::vector<text::Bytes> lines(rng() % 30);
        for (auto& line : lines) line = randomLine(rng);
        std::vector<std::int64_t> plain(names.size(), 0), indexed(names.size(), 0);
        std::size_t plainCalls = 0, indexedCalls = 0;
        const std::vector<std::string_view> views(lines.begin(), lines.end());
        plainUseCounter().addUses(names, views, plain,
                                  [&](std::size_t i) { EXPECT_EQ(i, plainCalls++); });
        indexedUseCounter().addUses(names, views, indexed,
                                    [&](std::size_t i) { EXPECT_EQ(i, indexedCalls++); });
        ASSERT_EQ(indexed, plain) << "round " << round;
        EXPECT_EQ(indexedCalls, lines.size());
    }
}

// A file's code lines per word, plus its comment lines that pass the occurrence test, are the
// lines that use a plain name.
TEST_P(WordCounting, FileWordsGiveTheLinesThatUseEachPlainName) {
    std::mt19937 rng(static_cast<unsigned>(GetParam()) + 2);
    WordIds scratch;
    for (int round = 0; round < 500; ++round) {
        std::string content;
        for (int l = static_cast<int>(rng() % 20); l > 0; --l)
            content += randomLine(rng) + (rng() % 3 == 0 ? "\n" : "\r\n");
        // Kept compacted (as intake keeps them), the words must count the same.
        const FileWords whole = fileWords(content, scratch);
        for (const FileWords& words : {whole, compacted(whole)}) {
            for (const char* name : kNames) {
                if (!isIndexedName(name)) continue;
                std::int64_t expected = 0;
                text::LineReader reader(content);
                while (!reader.atEnd())
                    if (usesName(reader.readLine(), name)) ++expected;
                std::int64_t counted = 0;
                for (const auto& w : words.codeWords)
                    if (words.text(w.word) == name) counted += w.lines;
                for (const auto& c : words.commentLines)
                    if (words.text(c.word) == name && usesName(words.text(c.line), name))
                        ++counted;
                ASSERT_EQ(counted, expected) << "round " << round << " name [" << name << "]";
            }
        }
    }
}

// Rows tokenised once and looked up after some of them changed (marked, dropped, added, folded
// differently) give what tokenising the rows afresh gives: the words of a file, and the uses and
// string literals of safe names on every row.
TEST_P(WordCounting, RowTokensAgreeWithTokenisingTheRowsAfresh) {
    std::mt19937 rng(static_cast<unsigned>(GetParam()) + 3);
    const char* const safePieces[] = {"foo", "FOO", "Rem ", "rem", "\"Foo\"", "\"\"", "dim", "Bar_1"};
    auto safeLine = [&] {
        std::string line;
        for (int n = static_cast<int>(rng() % 6); n > 0; --n)
            line += rng() % 2 ? randomLine(rng) : std::string(safePieces[rng() % std::size(safePieces)]);
        return line;
    };
    auto mapOf = [](const FileWords& w) {
        std::map<std::string, std::uint32_t> m;
        for (const auto& c : w.codeWords) m[std::string(w.text(c.word))] += c.lines;
        return m;
    };
    WordIds scratch;
    for (int round = 0; round < 400; ++round) {
        std::vector<std::string> rows;
        // A CR that ends a row stays in it when an LF alone follows.
        for (int l = static_cast<int>(rng() % 16); l > 0; --l)
            rows.push_back(safeLine() + (rng() % 6 == 0 ? "\r" : ""));
        const std::string before = text::joinLines(rows, rng() % 2 == 0);
        // Per row, the row of `before` it was, changed or not (a joined or split line has none).
        std::vector<std::uint32_t> from(rows.size());
        std::iota(from.begin(), from.end(), 0u);
        const std::vector<std::uint32_t> sameRows = from;
        for (auto& row : rows) {
            if (rng() % 4 == 0) row = "'<\x96\xA2\x8E\x67\x97\x70> |" + row;
            else if (rng() % 8 == 0) row = safeLine();
        }
        if (!rows.empty() && rng() % 3 == 0) {
            const auto at = static_cast<long>(rng() % rows.size());
            rows.erase(rows.begin() + at);
            from.erase(from.begin() + at);
        }
        if (rng() % 3 == 0) {
            const auto at = static_cast<long>(rng() % (rows.size() + 1));
            rows.insert(rows.begin() + at, safeLine());
            from.insert(from.begin() + at, kNoSourceRow);
        }
        const std::vector<std::uint32_t> rightlyNamed = from;
        // A row named wrongly must cost a tokenisation, never a wrong token.
        for (auto& f : from)
            if (rng() % 6 == 0) f = static_cast<std::uint32_t>(rng() % (sameRows.size() + 2));
        const std::string after = text::joinLines(rows, rng() % 2 == 0);

        // Made, and made again from their small form as intake hands them to the passes (for
        // the same bytes, and for the rows that follow): their own words are those of the bytes
        // counted afresh, in the same order, and every row has the tokens of its bytes.
        const RowTokens made(before);
        const std::optional<PackedRowTokens> packed = made.packed();
        ASSERT_TRUE(packed);
        const RowTokens unpacked(before, before, *packed, sameRows);
        const FileWords beforeWords = compacted(fileWords(before, scratch, true));
        for (const RowTokens* tokens : {&made, &unpacked}) {
            const FileWords own = tokens->ownWords();
            ASSERT_EQ(own.content, beforeWords.content) << "round " << round;
            ASSERT_EQ(mapOf(own), mapOf(beforeWords)) << "round " << round;
        }
        // Every row named rightly (in order) is taken from the source's tokens.
        const std::vector<std::string> beforeRead = text::splitLines(before);
        const std::vector<std::string> afterRead = text::splitLines(after);
        std::size_t named = 0;
        for (std::size_t r = 0; r < afterRead.size(); ++r)
            named +=
                rightlyNamed[r] < beforeRead.size() && afterRead[r] == beforeRead[rightlyNamed[r]];
        ASSERT_EQ(unpacked.rowsTaken(), beforeRead.size()) << "round " << round;
        ASSERT_EQ(RowTokens(after, before, *packed, rightlyNamed).rowsTaken(), named)
            << "round " << round;
        const RowTokens followed(after, before, *packed, from);
        const RowTokens madeAfter(after);
        auto rowWords = [](const RowTokens& t, std::size_t r) {
            std::vector<std::pair<std::string, bool>> out;
            for (const RowTokens::Token& k : t.tokens(r))
                out.emplace_back(t.words().word(k.word), k.literal);
            return out;
        };
        for (const auto& [text, pair] :
             {std::pair{before, std::pair{&made, &unpacked}}, {after, {&madeAfter, &followed}}}) {
            text::LineReader reader(text);
            for (std::size_t r = 0; !reader.atEnd(); ++r) {
                // Row for row the same bytes, so that no pass tokenises a row again.
                ASSERT_TRUE(pair.second->same(r, reader.readLine()))
                    << "round " << round << " row " << r;
                ASSERT_EQ(rowWords(*pair.second, r), rowWords(*pair.first, r))
                    << "round " << round << " row " << r;
            }
        }
        const RowTokens& tokens = round % 3 == 0 ? made : round % 3 == 1 ? unpacked : followed;
        const FileWords afresh = fileWords(after, scratch, true);
        ASSERT_EQ(mapOf(tokens.fileWords(after)), mapOf(afresh)) << "round " << round;
        ASSERT_EQ(mapOf(compacted(afresh)), mapOf(afresh)) << "round " << round;

        const std::vector<text::Bytes> names = randomNames(rng);
        for (const auto mode : {SafeNames::Tokens::Identifiers, SafeNames::Tokens::Both}) {
            SafeNames fresh(names, mode), cached(names, mode);
            cached.useRowTokens(&tokens, 0);
            text::LineReader reader(after);
            for (std::size_t r = 0; !reader.atEnd(); ++r) {
                const std::string_view row = reader.readLine();
                std::vector<std::uint32_t> a, b, as, bs;
                fresh.forEachUse(row, [&](std::uint32_t g) { a.push_back(g); },
                                 [&](std::uint32_t g) { as.push_back(g); });
                cached.forEachUseAt(r, row, [&](std::uint32_t g) { b.push_back(g); },
                                    [&](std::uint32_t g) { bs.push_back(g); });
                ASSERT_EQ(b, a) << "round " << round << " row " << r;
                ASSERT_EQ(bs, as) << "round " << round << " row " << r;
            }
        }
    }
}

// Every row's tokens, as the rows are tokenised at once, are the identifiers and literals of the
// row folded, one by one: rows of plain code (read sixteen bytes at a time) shorter and longer
// than 64 bytes, near the text's end, and rows that hold what plain code does not.
TEST_P(WordCounting, EveryRowsTokensAreThoseOfItsIdentifiers) {
    std::mt19937 rng(static_cast<unsigned>(GetParam()) + 11);
    const char* const pieces[] = {"Dim", "x1", "Rem", "REM", "rem", "_a", "9b", "Foo", "BAR",
                                  "z",   " ",  " ",   "\t", "(",   ")",  ".",  ",",   "=",
                                  "\r", "\"", "'",   ":",  "\x83\x5C", "\x81"};
    const text::CodePage& cp = text::activeCodePage();
    for (int round = 0; round < 3000; ++round) {
        std::vector<std::string> rows;
        for (int r = static_cast<int>(rng() % 6); r > 0; --r) {
            std::string row;
            // Mostly plain: the last five pieces only now and then.
            const std::size_t kinds = rng() % 3 ? std::size(pieces) - 5 : std::size(pieces);
            for (int k = static_cast<int>(rng() % 30); k > 0; --k) row += pieces[rng() % kinds];
            rows.push_back(row);
        }
        const std::string text = text::joinLines(rows, rng() % 2 == 0);
        const RowTokens made(text);
        const std::vector<std::string> read = text::splitLines(text);
        for (std::size_t r = 0; r < read.size(); ++r) {
            std::vector<std::pair<std::string, bool>> expected, got;
            forEachIdentifier(identifiers::folded(read[r], cp), cp, true,
                              [&](std::string_view t, bool literal) {
                                  expected.emplace_back(t, literal);
                              });
            for (const RowTokens::Token& t : made.tokens(r))
                got.emplace_back(made.words().word(t.word), t.literal);
            ASSERT_EQ(got, expected) << "round " << round << " row [" << read[r] << "]";
        }
    }
}

INSTANTIATE_TEST_SUITE_P(CodePages, WordCounting, ::testing::Values(932, 1252));

// The word table's own comparison against the library's, on every length up to and past the
// widths it compares at once, with the one differing byte anywhere (or none); and the table
// gives equal words one id and different ones different ids, whether it was made with room for
// them or grew.
TEST(WordIdsTable, ComparesAsMemcmpAndKeepsWordsApart) {
    std::mt19937 rng(7);
    WordIds ids;
    WordIds reserved;
    reserved.reserve(3000);
    std::map<std::string, std::uint32_t> seen;
    for (int round = 0; round < 20000; ++round) {
        const std::size_t n = rng() % 41;
        std::string a(n, '\0');
        for (char& c : a) c = static_cast<char>("AB\x81\0"[rng() % 4]);
        std::string b = a;
        if (n > 0 && rng() % 2) b[rng() % n] ^= static_cast<char>(1 + rng() % 255);
        ASSERT_EQ(sameBytes(a.data(), b.data(), n), std::memcmp(a.data(), b.data(), n) == 0)
            << "length " << n;
        for (const std::string& w : {a, b}) {
            const auto [it, added] = seen.emplace(w, static_cast<std::uint32_t>(seen.size()));
            ASSERT_EQ(ids.add(w), it->second);
            ASSERT_EQ(ids.find(w), it->second);
            ASSERT_EQ(reserved.add(w), it->second);
            ASSERT_EQ(reserved.find(w), it->second);
        }
    }
    EXPECT_EQ(ids.size(), seen.size());
}

}  // namespace
}  // namespace scourvane
