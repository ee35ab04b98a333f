#include "engine/prepared_module.h"

#include <algorithm>
#include <string>

#include "base/context.h"
#include "base/paths.h"
#include "collect/module_collection.h"
#include "index/intake_words.h"
#include "intake/file_ops.h"
#include "text/lines.h"
#include "usage/local_variables.h"
#include "usage/private_pass.h"

namespace scourvane {

namespace {

// The change a counter label shows against the last one shown (`last`, zero at first).
std::int32_t labelChange(std::int64_t (&last)[kCounterCount], CounterId id,
                         const std::string& text) {
    const std::int64_t value = std::stoll(text);
    std::int64_t& was = last[static_cast<std::size_t>(indexOf(id))];
    const auto change = static_cast<std::int32_t>(value - was);
    was = value;
    return change;
}

// Takes what the passes show: the counter changes go to the pass being prepared; an error box
// means the preparation is of no use.
class RecordingSink final : public QuietWindow {
  public:
    std::vector<std::pair<CounterId, std::int32_t>>* bumps = nullptr;
    bool failed = false;

    void setCounterLabel(CounterId id, const std::string& text) override {
        bumps->emplace_back(id, labelChange(labels_, id, text));
    }
    void showError(int, const std::string&) override { failed = true; }

  private:
    std::int64_t labels_[kCounterCount] = {};
};

// A module prepared holds about five times its text; larger modules run as usual.
constexpr std::size_t kLargestPrepared = std::size_t{8} << 20;

// A fresh session that follows the given one's intake and rules: tables empty, counters zero.
Session settingsOf(const Session& session) {
    Session out;
    out.intake = session.intake;
    out.counting = session.counting;
    out.rules = session.rules;
    out.keeps = session.keeps;
    out.activeXProject = session.activeXProject;
    out.activeXCallersInRun = session.activeXCallersInRun;
    out.sharedWithActiveX = session.sharedWithActiveX;
    out.intakeWords = session.intakeWords;
    return out;
}

}  // namespace

void ShowRecorder::setStatus(const std::string& text) {
    events_.push_back({Event::Kind::Status, text, 0});
}

void ShowRecorder::setCounterLabel(CounterId id, const std::string& text) {
    events_.push_back({Event::Kind::Bump, {}, labelChange(labels_, id, text), id});
}

void ShowRecorder::setProgress(int value) {
    events_.push_back({Event::Kind::Progress, {}, value});
}

bool ShowRecorder::yield() {
    events_.push_back({Event::Kind::Yield, {}});
    return true;
}

void ShowRecorder::replay(RunContext& ctx, const std::vector<Event>& events) {
    for (const Event& e : events) {
        switch (e.kind) {
            case Event::Kind::Status: ctx.window().setStatus(e.text); break;
            case Event::Kind::Progress: ctx.setProgress(e.value); break;
            case Event::Kind::Bump: ctx.bump(e.id, e.value); break;
            case Event::Kind::Yield: ctx.yield(); break;
        }
    }
}

std::optional<PreparedModule> prepareModule(const Session& settings, const Bytes& name) {
    try {
        const IntakeState& intake = settings.intake;
        Session session = settingsOf(settings);
        RecordingSink sink;
        RunContext ctx(session, sink);
        ctx.passNoYieldsOrProgress();
        const fs::path file = workingCopyFile(intake.workingCopy, name);
        const std::string content = files::readAll(file);
        if (content.size() > kLargestPrepared) return std::nullopt;

        PreparedModule out;
        startObjectTable(session.objects, name, session.rules);
        sink.bumps = &out.collected.bumps;
        std::vector<std::uint32_t> sourceRows;
        out.collected.text = collectModuleText(content, session.objects, {}, &sourceRows);
        out.collected.changed = out.collected.text != content;
        out.objects = session.objects;

        // The rows collection leaves, tokenised once for every pass that follows.
        // Intake may have tokenised the rows of the file as it read them: collection leaves
        // most of them as they were.
        if (session.rules == RuleSet::Safe) {
            std::optional<PackedRowTokens> packed;
            if (settings.intakeWords) packed = settings.intakeWords->takeTokens(file, content);
            out.tokens = packed ? std::make_shared<const RowTokens>(out.collected.text, content,
                                                                    *packed, sourceRows)
                                : std::make_shared<const RowTokens>(out.collected.text);
        }
        const RowTokens* rowTokens = out.tokens.get();

        sink.bumps = &out.locals.bumps;
        PassEnv localEnv(ctx, name);
        localEnv.setRowTokens(rowTokens);
        out.locals.text = markUnusedLocals(localEnv, out.collected.text);
        out.locals.findings = localEnv.takeFindings();
        out.locals.changed = out.locals.text != out.collected.text;

        sink.bumps = &out.privates.bumps;
        PassEnv privateEnv(ctx, name);
        privateEnv.setRowTokens(rowTokens);
        out.privates.text = markUnusedPrivates(privateEnv, out.locals.text, &out.publics.rows);
        out.privates.findings = privateEnv.takeFindings();
        out.privates.changed = out.privates.text != out.locals.text;

        sink.bumps = &out.publics.bumps;
        PassEnv publicEnv(ctx, name);
        publicEnv.setRowTokens(rowTokens);
        const std::vector<bool> holdsScope = out.publics.rows.holding("Public");
        out.publics.decls = collectPublic(publicEnv, out.publics.rows.views(), &holdsScope);
        if (sink.failed) return std::nullopt;
        return out;
    } catch (...) {
        return std::nullopt;
    }
}

ModulePreparer::ModulePreparer(const Session& session, unsigned threads)
    : settings_(settingsOf(session)) {
    for (unsigned i = 0; i < std::max(threads, 1u); ++i) threads_.emplace_back([this] { work(); });
}

ModulePreparer::~ModulePreparer() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    for (std::thread& t : threads_) t.join();
}

void ModulePreparer::request(std::size_t row, const Bytes& name, std::uint64_t generation) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        queue_.push_back({row, generation, name});
    }
    changed_.notify_all();
}

std::optional<PreparedModule> ModulePreparer::take(std::size_t row, std::uint64_t generation) {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        const auto it = done_.find(row);
        if (it != done_.end()) {
            std::optional<PreparedModule> prepared;
            if (it->second.first == generation) prepared = std::move(it->second.second);
            done_.erase(it);
            return prepared;
        }
        auto same = [&](const Job& j) { return j.row == row; };
        const bool pending = std::any_of(working_.begin(), working_.end(), same) ||
                             std::any_of(queue_.begin(), queue_.end(), same);
        if (!pending) return std::nullopt;
        changed_.wait(lock);
    }
}

void ModulePreparer::dispose(PreparedModule used) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        used_.push_back(std::move(used));
    }
    changed_.notify_one();
}

void ModulePreparer::work() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        changed_.wait(lock, [&] { return stopping_ || !queue_.empty() || !used_.empty(); });
        if (stopping_) return;
        if (!used_.empty()) {
            std::vector<PreparedModule> used = std::move(used_);
            used_.clear();
            lock.unlock();
            used.clear();
            lock.lock();
            continue;
        }
        const Job job = std::move(queue_.front());
        queue_.pop_front();
        working_.push_back(job);
        lock.unlock();
        std::optional<PreparedModule> prepared = prepareModule(settings_, job.name);
        lock.lock();
        std::erase_if(working_, [&](const Job& j) { return j.row == job.row; });
        done_[job.row] = {job.generation, std::move(prepared)};
        changed_.notify_all();
    }
}

}  // namespace scourvane
