#pragma once
// Numbers for words: each distinct byte string gets the next id from 0. The table keeps its own
// copy of every word, so the text a word was read from may go away.
#include <cstdint>
#include <cstring>
#include <memory>
#include <string_view>
#include <vector>

namespace scourvane {

// 8 and 4 bytes from any address, in the machine's order.
inline std::uint64_t load8(const char* at) {
    std::uint64_t v;
    std::memcpy(&v, at, 8);
    return v;
}
inline std::uint64_t load4(const char* at) {
    std::uint32_t v;
    std::memcpy(&v, at, 4);
    return v;
}

inline std::uint64_t hashWord(std::string_view s) {
    const char* p = s.data();
    const std::size_t n = s.size();
    std::uint64_t h = 0x9E3779B97F4A7C15ull ^ n;
    std::size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        h = (h ^ load8(p + i)) * 0xFF51AFD7ED558CCDull;
        h ^= h >> 32;
    }
    // The last 1 to 7 bytes in fixed-size loads (a copy of a variable length is a call): two
    // 4-byte loads that may overlap, or the first, middle and last byte.
    const std::size_t left = n - i;
    std::uint64_t v = 0;
    if (left >= 4) {
        v = load4(p + i) | load4(p + n - 4) << 32;
    } else if (left > 0) {
        auto byte = [&](std::size_t at) {
            return std::uint64_t{static_cast<unsigned char>(p[at])};
        };
        v = byte(i) | byte(i + left / 2) << 8 | byte(n - 1) << 16;
    }
    h = (h ^ v) * 0xC4CEB9FE1A85EC53ull;
    return h ^ (h >> 29);
}

// Whether the n bytes at a and b are the same, without a call for the short words a table
// mostly holds.
inline bool sameBytes(const char* a, const char* b, std::size_t n) {
    if (n >= 8) {
        for (std::size_t i = 0; i + 8 <= n; i += 8)
            if (load8(a + i) != load8(b + i)) return false;
        return load8(a + n - 8) == load8(b + n - 8);
    }
    if (n >= 4) return load4(a) == load4(b) && load4(a + n - 4) == load4(b + n - 4);
    for (std::size_t i = 0; i < n; ++i)
        if (a[i] != b[i]) return false;
    return true;
}

inline bool sameWord(std::string_view a, std::string_view b) {
    return a.size() == b.size() && sameBytes(a.data(), b.data(), a.size());
}

class WordIds {
  public:
    static constexpr std::uint32_t kNone = 0xFFFFFFFFu;

    WordIds() : slots_(64, 0) {}
    // The id of the word, or kNone.
    std::uint32_t find(std::string_view word) const { return find(word, hashWord(word)); }
    std::uint32_t find(std::string_view word, std::uint64_t hash) const;
    // The id of the word, given a new one when it has none.
    std::uint32_t add(std::string_view word) { return add(word, hashWord(word)); }
    std::uint32_t add(std::string_view word, std::uint64_t hash);
    std::size_t size() const { return words_.size(); }
    // Forgets every word, keeping the memory for the next use.
    void clear();
    // Room for about `words` words without growing, when the table is still empty.
    void reserve(std::size_t words);
    std::string_view word(std::uint32_t id) const { return words_[id]; }

  private:
    std::string_view keep(std::string_view word);
    void grow();

    // A slot holds the low half of its word's hash above id + 1, so that most probes settle
    // without looking at the word; 0 is a free slot.
    std::vector<std::uint64_t> slots_;
    std::vector<std::string_view> words_;
    std::vector<std::unique_ptr<char[]>> blocks_;
    std::size_t blockSize_ = 0;
    std::size_t blockLeft_ = 0;
    char* blockAt_ = nullptr;
};

}  // namespace scourvane
