#pragma once
// Reads module files and counts their words on a thread of its own, ahead of the public passes
// that need them, so that the passes and the counting share the machine's cores. Each request
// carries the file's generation; a result is handed out only for the generation asked for, so
// a file that a pass changed meanwhile is never taken as it was.
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "index/file_words.h"

namespace scourvane {

class IntakeWords;

class WordPrefetch {
  public:
    // `safe`: words as the safe rules see them (see fileWords). `ahead`: words intake counted,
    // taken for a file that still holds what they were counted from.
    explicit WordPrefetch(bool safe = false, IntakeWords* ahead = nullptr);
    ~WordPrefetch();
    WordPrefetch(const WordPrefetch&) = delete;
    WordPrefetch& operator=(const WordPrefetch&) = delete;

    // Asks for the words of the file at `path`, under the caller's file number and generation;
    // with `content`, the file is known to hold it and is not read.
    void request(std::uint32_t file, std::uint64_t generation, std::filesystem::path path,
                 std::optional<std::string> content = std::nullopt);
    // Forgets what was asked for or made for the file.
    void cancel(std::uint32_t file);
    // The words asked for under this file number and generation, waiting while they are being
    // made. Nothing when they were not asked for, or reading the file failed: the caller then
    // reads it itself, so that a failure is reported where it belongs.
    std::optional<FileWords> take(std::uint32_t file, std::uint64_t generation);
    // Works through what is still asked for on the caller's thread too, from the other end of
    // the queue, until nothing is left to start.
    void help(WordIds& scratch);

  private:
    struct Job {
        std::uint32_t file;
        std::uint64_t generation;
        std::filesystem::path path;
        std::optional<std::string> content;
    };
    struct Result {
        std::uint64_t generation;
        std::optional<FileWords> words;
    };

    void work();
    // Makes the words of the job, with the lock released, and files them.
    void make(std::unique_lock<std::mutex>& lock, Job& job, WordIds& scratch);
    bool pending(std::uint32_t file, std::uint64_t generation) const;

    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Job> queue_;
    std::optional<Job> working_;
    std::vector<Job> helping_;  // being made on the callers' threads
    std::map<std::uint32_t, Result> done_;
    bool stopping_ = false;
    bool safe_;
    IntakeWords* ahead_;
    std::thread thread_;  // last: starts once everything above exists
};

}  // namespace scourvane
