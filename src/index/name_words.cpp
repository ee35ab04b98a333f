#include "index/name_words.h"

namespace scourvane {

NameWords::NameWords(std::span<const text::Bytes> names) {
    for (std::size_t k = 0; k < names.size(); ++k) {
        if (!isPlainName(names[k])) {
            unplain_.push_back(k);
            continue;
        }
        firstBytes_[static_cast<unsigned char>(names[k][0])] = true;
        lengths_ |= std::uint64_t{1} << (names[k].size() < 64 ? names[k].size() : 0);
        const std::uint32_t g = ids_.add(names[k]);
        if (g == members_.size()) members_.emplace_back();
        members_[g].push_back(k);
    }
    seen_.assign(members_.size(), 0);
}

}  // namespace scourvane
