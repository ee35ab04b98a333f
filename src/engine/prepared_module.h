#pragma once
// The first three passes of a module worked out ahead, on a thread of their own. Module
// collection, the Dim pass and the private pass depend on nothing but the module's own text, so
// while one module's public pass runs, the next module's can be prepared from its file as it
// stands. The driver then writes each pass's text and replays the counter changes the pass
// made, in the same order; whenever something is not as foreseen (a read, a write or a check
// fails, the file changed meanwhile, a counter would overflow) it runs the passes as usual.
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>
#include <vector>

#include "base/context.h"
#include "base/session.h"
#include "base/window.h"
#include "index/row_tokens.h"
#include "usage/public_pass.h"

namespace scourvane {

struct PreparedPass {
    Bytes text;                                             // the file's new content
    bool changed = true;                                    // whether it differs from the old
    std::vector<std::pair<CounterId, std::int32_t>> bumps;  // counter changes, in order
    std::vector<Finding> findings;                          // its decisions, in order
};

// The public pass up to its count in the other modules, which only the driver can make.
struct PreparedPublic {
    Rows rows;  // the module's lines as the private pass leaves them
    PublicDeclarations decls;
    std::vector<std::pair<CounterId, std::int32_t>> bumps;
};

struct PreparedModule {
    std::vector<Bytes> objects;  // the object table collection leaves
    PreparedPass collected, locals, privates;
    PreparedPublic publics;
    // Under the safe rules, the rows collection leaves, tokenised once for every pass, and for
    // the words of the file as its passes leave it.
    std::shared_ptr<const RowTokens> tokens;
};

// What a pass shows, kept to be shown later in the same order: statuses, progress values,
// counter changes (worked out from the labels, which start at zero) and yields. An error box
// means the work recorded is of no use.
class ShowRecorder final : public QuietWindow {
  public:
    struct Event {
        enum class Kind { Status, Progress, Bump, Yield } kind;
        std::string text;        // of a status
        std::int32_t value = 0;  // a progress value, or a counter's change
        CounterId id = CounterId::Dim;
    };

    void setStatus(const std::string& text) override;
    void setCounterLabel(CounterId id, const std::string& text) override;
    void setProgress(int value) override;
    void showError(int, const std::string&) override { failed_ = true; }
    bool yield() override;

    bool failed() const { return failed_; }
    std::vector<Event> take() { return std::move(events_); }
    // Shows the events through `ctx`: counter changes are added to its counters, progress goes
    // through its own repeat filter, and a yield may unwind with Closing.
    static void replay(RunContext& ctx, const std::vector<Event>& events);

  private:
    std::vector<Event> events_;
    std::int64_t labels_[kCounterCount] = {};
    bool failed_ = false;
};

// The passes on the module's file as far as they depend on nothing else; nothing when reading
// it fails, a pass raises an error, or the file is so large that holding every pass's text at
// once would cost too much memory (the passes then run as usual).
// `settings` gives the intake state and the rules the passes follow.
std::optional<PreparedModule> prepareModule(const Session& settings, const Bytes& name);

class ModulePreparer {
  public:
    // `threads` modules are prepared at once.
    // Prepares with the intake state and rules of `session`.
    ModulePreparer(const Session& session, unsigned threads);
    ~ModulePreparer();
    ModulePreparer(const ModulePreparer&) = delete;
    ModulePreparer& operator=(const ModulePreparer&) = delete;

    // Asks for the module in `row`, whose file is in the given generation now.
    void request(std::size_t row, const Bytes& name, std::uint64_t generation);
    // The module prepared from the file in this generation, waiting while it is being made.
    std::optional<PreparedModule> take(std::size_t row, std::uint64_t generation);
    // Frees a module that has been used, on the preparing threads.
    void dispose(PreparedModule used);

  private:
    struct Job {
        std::size_t row;
        std::uint64_t generation;
        Bytes name;
    };
    void work();

    Session settings_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Job> queue_;
    std::vector<Job> working_;
    std::vector<PreparedModule> used_;
    std::map<std::size_t, std::pair<std::uint64_t, std::optional<PreparedModule>>> done_;
    bool stopping_ = false;
    std::vector<std::thread> threads_;  // last: they start once everything above exists
};

}  // namespace scourvane
