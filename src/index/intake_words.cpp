#include "index/intake_words.h"

#include <algorithm>
#include <utility>

#include "text/codepage.h"

namespace scourvane {

namespace {

// A file's bytes in 64 bits: four lanes of 8 bytes each, every step a bijection of the lane
// (so that any one change shows), mixed at the end. A third of the work of std::hash, which
// mixes every 8 bytes on one chain; the files are hashed three times each.
std::uint64_t hashOf(std::string_view content) {
    constexpr std::uint64_t kMultiplier = 0x9FB21C651E98DF25ull;
    const char* p = content.data();
    const std::size_t n = content.size();
    std::uint64_t lane[4] = {0x243F6A8885A308D3ull, 0x13198A2E03707344ull, 0xA4093822299F31D0ull,
                             0x082EFA98EC4E6C89ull};
    std::size_t i = 0;
    for (; i + 32 <= n; i += 32)
        for (int k = 0; k < 4; ++k) lane[k] = (lane[k] ^ load8(p + i + 8 * k)) * kMultiplier;
    std::uint64_t h = n;
    for (const std::uint64_t l : lane) h = (h ^ l ^ (l >> 29)) * kMultiplier;
    // The last bytes one by one; there are fewer than 32.
    for (; i < n; ++i) h = (h ^ static_cast<unsigned char>(p[i])) * kMultiplier;
    return h ^ (h >> 32);
}

}  // namespace

IntakeWords::IntakeWords(bool safe)
    : safe_(safe), codePage_(text::activeCodePage().number()), thread_([this] { work(); }) {}

IntakeWords::~IntakeWords() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

void IntakeWords::copied(const std::filesystem::path& path, std::string content) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        // A later copy to the same file replaces what an earlier one left.
        std::erase_if(queue_, [&](const auto& job) { return job.first == path; });
        entries_.erase(path);
        queue_.emplace_back(path, std::move(content));
    }
    changed_.notify_all();
}

void IntakeWords::finish() {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [&] {
        return queue_.empty() &&
               std::none_of(entries_.begin(), entries_.end(),
                            [](const auto& entry) { return entry.second.counting; });
    });
}

IntakeWords::Entries::iterator IntakeWords::counted(std::unique_lock<std::mutex>& lock,
                                                    const std::filesystem::path& path) {
    const auto queued = std::find_if(queue_.begin(), queue_.end(),
                                     [&](const auto& job) { return job.first == path; });
    if (queued != queue_.end()) {
        // Counted here and now rather than left to the caller, who would count its words or
        // tokenise its rows without the other: both are made once, as the worker makes them.
        std::string content = std::move(queued->second);
        queue_.erase(queued);
        WordIds scratch;
        count(lock, path, std::move(content), scratch);
    }
    auto it = entries_.find(path);
    while (it != entries_.end() && it->second.counting) {
        changed_.wait(lock);
        it = entries_.find(path);
    }
    return it;
}

void IntakeWords::count(std::unique_lock<std::mutex>& lock, const std::filesystem::path& path,
                        std::string content, WordIds& scratch) {
    entries_[path].counting = true;
    lock.unlock();
    const std::size_t size = content.size();
    const std::uint64_t hash = hashOf(content);
    std::optional<FileWords> words;
    std::optional<PackedRowTokens> tokens;
    try {
        // Counted in the code page intake copied in, which the run checks before taking them.
        if (text::activeCodePage().number() == codePage_) {
            if (safe_) {
                // The words are those of the rows the passes tokenise: made once for both.
                const RowTokens rows(std::move(content));
                words = rows.ownWords();
                tokens = rows.packed();
            } else {
                words = compacted(fileWords(std::move(content), scratch, safe_));
            }
        }
    } catch (...) {
        // Out of memory, most likely: filed with nothing, so that whoever waits for this file
        // goes on and counts it as without intake's words.
        words.reset();
        tokens.reset();
    }
    lock.lock();
    entries_[path] = Entry{size, hash, std::move(words), std::move(tokens), false};
    changed_.notify_all();
}

bool IntakeWords::countedFrom(const Entry& entry, std::string_view content, bool safe) const {
    return safe == safe_ && text::activeCodePage().number() == codePage_ &&
           content.size() == entry.size && hashOf(content) == entry.hash;
}

template <class Half, class Other>
std::optional<Half> IntakeWords::handOut(const std::filesystem::path& path,
                                         std::string_view content, bool safe,
                                         std::optional<Half> Entry::*half,
                                         const std::optional<Other> Entry::*other) {
    std::unique_lock<std::mutex> lock(mutex_);
    const auto it = counted(lock, path);
    if (it == entries_.end()) return std::nullopt;
    // A moved-from optional still holds a value: emptied, so that nothing is handed out twice.
    Entry entry;
    entry.size = it->second.size;
    entry.hash = it->second.hash;
    entry.*half = std::exchange(it->second.*half, std::nullopt);
    if (!(it->second.*other)) entries_.erase(it);
    lock.unlock();
    if (!(entry.*half) || !countedFrom(entry, content, safe)) return std::nullopt;
    return std::move(entry.*half);
}

std::optional<FileWords> IntakeWords::take(const std::filesystem::path& path,
                                           std::string_view content, bool safe) {
    return handOut(path, content, safe, &Entry::words, &Entry::tokens);
}

std::optional<PackedRowTokens> IntakeWords::takeTokens(const std::filesystem::path& path,
                                                       std::string_view content) {
    return handOut(path, content, true, &Entry::tokens, &Entry::words);
}

void IntakeWords::work() {
    WordIds scratch;
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        changed_.wait(lock, [&] { return stopping_ || !queue_.empty(); });
        if (stopping_) return;
        auto [path, content] = std::move(queue_.front());
        queue_.pop_front();
        count(lock, path, std::move(content), scratch);
    }
}

}  // namespace scourvane
