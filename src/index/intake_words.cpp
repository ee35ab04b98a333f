#include "index/intake_words.h"

#include <algorithm>
#include <functional>
#include <utility>

#include "text/codepage.h"

namespace scourvane {

namespace {

std::uint64_t hashOf(std::string_view content) {
    return std::hash<std::string_view>{}(content);
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
    lock.lock();
    entries_[path] = Entry{size, hash, std::move(words), std::move(tokens), false};
    changed_.notify_all();
}

bool IntakeWords::countedFrom(const Entry& entry, std::string_view content, bool safe) const {
    return safe == safe_ && text::activeCodePage().number() == codePage_ &&
           content.size() == entry.size && hashOf(content) == entry.hash;
}

std::optional<FileWords> IntakeWords::take(const std::filesystem::path& path,
                                           std::string_view content, bool safe) {
    std::unique_lock<std::mutex> lock(mutex_);
    const auto it = counted(lock, path);
    if (it == entries_.end()) return std::nullopt;
    // A moved-from optional still holds a value: emptied, so that nothing is handed out twice.
    Entry entry{it->second.size, it->second.hash, std::exchange(it->second.words, std::nullopt),
                {}, false};
    if (!it->second.tokens) entries_.erase(it);
    lock.unlock();
    if (!entry.words || !countedFrom(entry, content, safe)) return std::nullopt;
    return std::move(entry.words);
}

std::optional<PackedRowTokens> IntakeWords::takeTokens(const std::filesystem::path& path,
                                                       std::string_view content) {
    std::unique_lock<std::mutex> lock(mutex_);
    const auto it = counted(lock, path);
    if (it == entries_.end()) return std::nullopt;
    Entry entry{it->second.size, it->second.hash, {},
                std::exchange(it->second.tokens, std::nullopt), false};
    if (!it->second.words) entries_.erase(it);
    lock.unlock();
    if (!entry.tokens || !countedFrom(entry, content, true)) return std::nullopt;
    return std::move(entry.tokens);
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
