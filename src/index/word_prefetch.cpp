#include "index/word_prefetch.h"

#include <algorithm>

#include "index/intake_words.h"
#include "intake/file_ops.h"

namespace scourvane {

WordPrefetch::WordPrefetch(bool safe, IntakeWords* ahead)
    : safe_(safe), ahead_(ahead), thread_([this] { work(); }) {}

WordPrefetch::~WordPrefetch() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

void WordPrefetch::request(std::uint32_t file, std::uint64_t generation, std::filesystem::path path,
                           std::optional<std::string> content) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        queue_.push_back({file, generation, std::move(path), std::move(content)});
    }
    changed_.notify_all();
}

void WordPrefetch::cancel(std::uint32_t file) {
    std::lock_guard<std::mutex> lock(mutex_);
    std::erase_if(queue_, [&](const Job& job) { return job.file == file; });
    done_.erase(file);
}

bool WordPrefetch::pending(std::uint32_t file, std::uint64_t generation) const {
    if (working_ && working_->file == file && working_->generation == generation) return true;
    auto same = [&](const Job& job) { return job.file == file && job.generation == generation; };
    return std::any_of(queue_.begin(), queue_.end(), same) ||
           std::any_of(helping_.begin(), helping_.end(), same);
}

std::optional<FileWords> WordPrefetch::take(std::uint32_t file, std::uint64_t generation) {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        const auto it = done_.find(file);
        if (it != done_.end() && it->second.generation == generation) {
            std::optional<FileWords> words = std::move(it->second.words);
            done_.erase(it);
            return words;
        }
        if (!pending(file, generation)) return std::nullopt;
        changed_.wait(lock);
    }
}

void WordPrefetch::help(WordIds& scratch) {
    std::unique_lock<std::mutex> lock(mutex_);
    while (!queue_.empty()) {
        Job job = std::move(queue_.back());
        queue_.pop_back();
        helping_.push_back({job.file, job.generation, {}, {}});
        make(lock, job, scratch);
        std::erase_if(helping_, [&](const Job& j) {
            return j.file == job.file && j.generation == job.generation;
        });
        changed_.notify_all();
    }
}

void WordPrefetch::make(std::unique_lock<std::mutex>& lock, Job& job, WordIds& scratch) {
    lock.unlock();
    std::optional<FileWords> words;
    try {
        std::string content = job.content ? std::move(*job.content) : files::readAll(job.path);
        if (ahead_) words = ahead_->take(job.path, content, safe_);
        if (!words) words = fileWords(std::move(content), scratch, safe_);
    } catch (...) {
        // Left to the caller, who reads the file again and reports what fails.
    }
    lock.lock();
    // Filed under the generation it was asked for: after a cancel, nobody takes it.
    done_[job.file] = {job.generation, std::move(words)};
}

void WordPrefetch::work() {
    WordIds scratch;
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        changed_.wait(lock, [&] { return stopping_ || !queue_.empty(); });
        if (stopping_) return;
        Job job = std::move(queue_.front());
        queue_.pop_front();
        working_ = Job{job.file, job.generation, {}, {}};
        make(lock, job, scratch);
        working_.reset();
        changed_.notify_all();
    }
}

}  // namespace scourvane
