// The character-aware searches against a plain reference on random double-byte text: a walk
// over the character starts, and a byte comparison at each.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "text/search.h"

namespace scourvane::text {
namespace {

std::vector<std::size_t> charStarts(const std::string& s, const CodePage& cp) {
    std::vector<std::size_t> starts;
    for (std::size_t i = 0; i < s.size(); i += cp.charLength(s, i)) starts.push_back(i);
    return starts;
}

std::vector<std::size_t> referenceMatches(const std::string& hay, const std::string& needle,
                                          const CodePage& cp) {
    std::vector<std::size_t> found;
    for (std::size_t at : charStarts(hay, cp))
        if (hay.compare(at, needle.size(), needle) == 0 && at + needle.size() <= hay.size())
            found.push_back(at);
    return found;
}

std::string randomText(std::mt19937& rng, std::size_t maxLength) {
    // Lead bytes, bytes that are trail bytes and ASCII look-alikes, and plain ASCII.
    static const char alphabet[] = {'\x81', '\x83', '\xE0', '\\', '_', 'A', 'a', ' ', '\'', 'x'};
    std::uniform_int_distribution<std::size_t> length(0, maxLength);
    std::uniform_int_distribution<std::size_t> pick(0, sizeof alphabet - 1);
    std::string s(length(rng), ' ');
    for (char& c : s) c = alphabet[pick(rng)];
    return s;
}

TEST(SearchRandom, AgreesWithAWalkOverCharacterStarts) {
    const CodePage& cp = CodePage::get(932);
    std::mt19937 rng(932);
    for (int round = 0; round < 20000; ++round) {
        const std::string hay = randomText(rng, 24);
        std::string needle = randomText(rng, 3);
        if (needle.empty()) needle = "\\";
        const auto matches = referenceMatches(hay, needle, cp);
        const std::size_t first = matches.empty() ? npos : matches.front();
        const std::size_t last = matches.empty() ? npos : matches.back();
        ASSERT_EQ(find(hay, needle, 0, cp), first) << round;
        ASSERT_EQ(rfind(hay, needle, cp), last) << round;

        // replaceAll: non-overlapping matches, left to right, each at a character start.
        std::string expected;
        std::size_t done = 0;
        for (std::size_t at : matches) {
            if (at < done) continue;
            expected.append(hay, done, at - done);
            expected += "<>";
            done = at + needle.size();
        }
        expected.append(hay, done);
        ASSERT_EQ(replaceAll(hay, needle, "<>", cp), expected) << round;

        const bool ends = !matches.empty() && last + needle.size() == hay.size();
        ASSERT_EQ(endsWith(hay, needle, cp), ends) << round;

        std::size_t lastSeparator = npos;
        for (std::size_t at : charStarts(hay, cp))
            if ((hay[at] == '\\' || hay[at] == '_') && cp.charLength(hay, at) == 1)
                lastSeparator = at;
        ASSERT_EQ(findLastOf(hay, "\\_", cp), lastSeparator) << round;
    }
}

}  // namespace
}  // namespace scourvane::text
