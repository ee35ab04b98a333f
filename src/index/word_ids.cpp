#include "index/word_ids.h"

#include <algorithm>

namespace scourvane {

namespace {

std::uint64_t slotFor(std::uint64_t hash, std::uint32_t id) {
    return (hash << 32) | (std::uint64_t{id} + 1);
}

bool sameHash(std::uint64_t slot, std::uint64_t hash) {
    return (slot >> 32) == (hash & 0xFFFFFFFFu);
}

std::uint32_t idOf(std::uint64_t slot) {
    return static_cast<std::uint32_t>(slot) - 1;
}

}  // namespace

std::uint32_t WordIds::find(std::string_view word, std::uint64_t hash) const {
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t at = (hash >> 32) & mask;; at = (at + 1) & mask) {
        const std::uint64_t slot = slots_[at];
        if (slot == 0) return kNone;
        if (sameHash(slot, hash) && sameWord(words_[idOf(slot)], word)) return idOf(slot);
    }
}

std::uint32_t WordIds::add(std::string_view word, std::uint64_t hash) {
    const std::size_t mask = slots_.size() - 1;
    std::size_t at = (hash >> 32) & mask;
    for (;; at = (at + 1) & mask) {
        const std::uint64_t slot = slots_[at];
        if (slot == 0) break;
        if (sameHash(slot, hash) && sameWord(words_[idOf(slot)], word)) return idOf(slot);
    }
    const auto id = static_cast<std::uint32_t>(words_.size());
    words_.push_back(keep(word));
    slots_[at] = slotFor(hash, id);
    if (words_.size() * 2 > slots_.size()) grow();
    return id;
}

void WordIds::clear() {
    std::fill(slots_.begin(), slots_.end(), 0);
    words_.clear();
    // Keep the largest block only.
    if (!blocks_.empty()) {
        std::unique_ptr<char[]> last = std::move(blocks_.back());
        blocks_.clear();
        blocks_.push_back(std::move(last));
        blockAt_ = blocks_.back().get();
        blockLeft_ = blockSize_;
    }
}

std::string_view WordIds::keep(std::string_view word) {
    if (word.empty()) return {};  // nothing to copy, and maybe no block yet
    if (word.size() > blockLeft_) {
        // Blocks grow with the table: a handful of names takes little, a project's words few
        // allocations.
        const std::size_t next =
            blocks_.empty() ? 256 : std::min<std::size_t>(blockSize_ * 2, 1 << 20);
        blockSize_ = next;
        const std::size_t size = std::max(word.size(), next);
        blocks_.push_back(std::make_unique<char[]>(size));
        blockAt_ = blocks_.back().get();
        blockLeft_ = size;
    }
    std::memcpy(blockAt_, word.data(), word.size());
    std::string_view kept(blockAt_, word.size());
    blockAt_ += word.size();
    blockLeft_ -= word.size();
    return kept;
}

void WordIds::reserve(std::size_t words) {
    if (!words_.empty()) return;
    std::size_t slots = slots_.size();
    while (slots < words * 2) slots *= 2;
    slots_.assign(slots, 0);
}

void WordIds::grow() {
    std::vector<std::uint64_t> slots(slots_.size() * 2, 0);
    const std::size_t mask = slots.size() - 1;
    for (const std::uint64_t slot : slots_) {
        if (slot == 0) continue;
        const std::uint64_t hash = hashWord(words_[idOf(slot)]);
        std::size_t at = (hash >> 32) & mask;
        while (slots[at] != 0) at = (at + 1) & mask;
        slots[at] = slot;
    }
    slots_.swap(slots);
}

}  // namespace scourvane
