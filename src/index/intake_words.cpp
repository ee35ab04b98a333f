#include "index/intake_words.h"

#include <algorithm>
#include <functional>

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

std::optional<FileWords> IntakeWords::take(const std::filesystem::path& path,
                                           std::string_view content, bool safe) {
    std::unique_lock<std::mutex> lock(mutex_);
    const auto queued = std::find_if(queue_.begin(), queue_.end(),
                                     [&](const auto& job) { return job.first == path; });
    if (queued != queue_.end()) {
        queue_.erase(queued);
        return std::nullopt;
    }
    auto it = entries_.find(path);
    while (it != entries_.end() && it->second.counting) {
        changed_.wait(lock);
        it = entries_.find(path);
    }
    if (it == entries_.end()) return std::nullopt;
    Entry entry = std::move(it->second);
    entries_.erase(it);
    lock.unlock();
    if (!entry.words || safe != safe_ || text::activeCodePage().number() != codePage_ ||
        content.size() != entry.size || hashOf(content) != entry.hash)
        return std::nullopt;
    return std::move(entry.words);
}

void IntakeWords::work() {
    WordIds scratch;
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        changed_.wait(lock, [&] { return stopping_ || !queue_.empty(); });
        if (stopping_) return;
        auto [path, content] = std::move(queue_.front());
        queue_.pop_front();
        entries_[path].counting = true;
        lock.unlock();
        const std::size_t size = content.size();
        const std::uint64_t hash = hashOf(content);
        std::optional<FileWords> words;
        // Counted in the code page intake copied in, which the run checks before taking them.
        if (text::activeCodePage().number() == codePage_)
            words = compacted(fileWords(std::move(content), scratch, safe_));
        lock.lock();
        entries_[path] = Entry{size, hash, std::move(words), false};
        changed_.notify_all();
    }
}

}  // namespace scourvane
