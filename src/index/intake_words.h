#pragma once
// The words of the module files intake copies, counted on a thread of their own while intake
// goes on copying (it waits on the disk, and leaves the other core idle). The run takes them in
// place of counting each file again, but only for a file that still holds the bytes they were
// counted from: the run reads the file anyway, and its length and a hash of its bytes must
// match. Anything else (another code page or rule set since, a file changed or replaced) is
// counted afresh, as without this. Under the safe rules the rows of each file are tokenised
// for its passes at the same time (see RowTokens), and kept small until they are taken.
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>

#include "index/file_words.h"
#include "index/row_tokens.h"
#include "index/word_ids.h"

namespace scourvane {

class IntakeWords {
  public:
    // `safe`: words as the safe rules see them (see fileWords), in the active code page.
    explicit IntakeWords(bool safe);
    ~IntakeWords();
    IntakeWords(const IntakeWords&) = delete;
    IntakeWords& operator=(const IntakeWords&) = delete;

    // The file at `path` was written with `content`: its words are to be counted.
    void copied(const std::filesystem::path& path, std::string content);
    // Waits until every file copied so far is counted.
    void finish();
    // The words of the file at `path`, which holds `content` now, counted as `safe` asks in the
    // active code page; nothing when they were not counted from these bytes so. A file whose
    // count has not begun is counted now, on the caller's thread; one being counted is
    // waited for. Each file's words are handed out once.
    std::optional<FileWords> take(const std::filesystem::path& path, std::string_view content,
                                  bool safe);
    // The rows of the file at `path`, which holds `content` now, tokenised under the safe rules
    // in the active code page (see RowTokens); nothing when they were not made from these
    // bytes so. A file whose count has not begun is counted now, on the caller's thread (its
    // words are kept for the index); one being counted is waited for. Handed out once.
    std::optional<PackedRowTokens> takeTokens(const std::filesystem::path& path,
                                              std::string_view content);

  private:
    struct Entry {
        std::size_t size = 0;
        std::uint64_t hash = 0;
        std::optional<FileWords> words;
        std::optional<PackedRowTokens> tokens;
        bool counting = false;
    };
    using Entries = std::map<std::filesystem::path, Entry>;

    // With the lock held: the entry of `path` once its count has ended, or none. A copy still
    // waiting in the queue is counted first, on the caller's thread.
    Entries::iterator counted(std::unique_lock<std::mutex>& lock,
                              const std::filesystem::path& path);
    // Counts `content`, copied to `path`, with the lock released meanwhile, and files it.
    void count(std::unique_lock<std::mutex>& lock, const std::filesystem::path& path,
               std::string content, WordIds& scratch);
    // One half of the entry of `path` (the words or the rows), when counted from `content` as
    // `safe` asks; the entry goes once the other half is gone too.
    template <class Half, class Other>
    std::optional<Half> handOut(const std::filesystem::path& path, std::string_view content,
                                bool safe, std::optional<Half> Entry::*half,
                                const std::optional<Other> Entry::*other);
    // Whether what `entry` holds was counted from `content` as `safe` asks, in the active page.
    bool countedFrom(const Entry& entry, std::string_view content, bool safe) const;
    void work();

    const bool safe_;
    const int codePage_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::pair<std::filesystem::path, std::string>> queue_;
    Entries entries_;
    bool stopping_ = false;
    std::thread thread_;  // last: starts once everything above exists
};

}  // namespace scourvane
