#include "index/safe_names.h"

namespace scourvane {

SafeNames::SafeNames(std::span<const text::Bytes> names, Tokens tokens)
    : cp_(text::activeCodePage()), tokens_(tokens) {
    for (std::size_t k = 0; k < names.size(); ++k) {
        std::string key = identifiers::nameKey(names[k], cp_);
        // No line holds a NUL-led token: a name that is no identifier is never used.
        if (key.empty()) {
            key.assign(1, '\0');
            key += std::to_string(k);
        }
        lengths_ |= lengthBit(key.size());
        const std::uint32_t g = ids_.add(key);
        if (g == members_.size()) members_.emplace_back();
        members_[g].push_back(k);
    }
    seen_.assign(members_.size(), 0);
}

void SafeNames::useRowTokens(const RowTokens* tokens, std::size_t first) {
    rowTokens_ = tokens;
    firstRow_ = first;
    groupOfWord_.clear();
    wordMask_ = 0;
    if (!tokens) return;
    for (std::uint32_t g = 0; g < members_.size(); ++g) {
        const std::uint32_t word = tokens->words().find(ids_.word(g));
        if (word == WordIds::kNone) continue;
        groupOfWord_.emplace(word, g);
        wordMask_ |= wordBit(word);
    }
}

}  // namespace scourvane
