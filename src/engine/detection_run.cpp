#include "engine/detection_run.h"

#include <limits>

#include "base/guard.h"
#include "base/run_error.h"
#include "collect/module_collection.h"
#include "engine/prepared_module.h"
#include "intake/file_ops.h"
#include "intake/project_file.h"
#include "intake/working_copy.h"
#include "text/convert.h"
#include "text/lines.h"
#include "usage/local_variables.h"
#include "usage/other_modules.h"
#include "usage/private_pass.h"
#include "usage/public_pass.h"

namespace scourvane {

std::string statusCollecting(const std::string& module) {
    return "初期処理...\r\n" + module;
}

std::string statusSearching(const std::string& kind, const std::string& module) {
    return "検索中...\r\n" + kind + "\r\n" + module;
}

std::string statusFinished(const std::string& workingCopy) {
    return "終了しました。新ﾌﾟﾛｼﾞｪｸﾄは\r\n" + workingCopy + "\r\nに作成しました。";
}

std::string statusSharedModules(std::size_t modules) {
    return "注意: 変更したﾓｼﾞｭｰﾙのうち " + std::to_string(modules) +
           " 個は他のﾌﾟﾛｼﾞｪｸﾄにも含まれます。ｸﾞﾙｰﾌﾟかﾌｫﾙﾀﾞｰで実行してください。";
}

std::string statusMissingFiles(const std::vector<std::string>& files) {
    // The status box is small: the first two files, then how many more (the review lists the
    // run's warnings whole).
    constexpr std::size_t kNamed = 2;
    std::string named;
    for (std::size_t i = 0; i < files.size() && i < kNamed; ++i) {
        if (i) named += ", ";
        named += files[i];
    }
    if (files.size() > kNamed) named += " ほか " + std::to_string(files.size() - kNamed) + " 個";
    return "注意: ﾌｧｲﾙがありません (" + named +
           ")。そのｺｰﾄﾞが使うかもしれないため、Public 宣言は判定していません。";
}

namespace {

// The public pass of a prepared module worked out before anything of the module is shown: its
// count in the other modules and its decisions, with what they show kept to be shown in their
// turn. Then the one write ahead holds the public pass's marks too.
struct PublicAhead {
    Bytes text;  // the module's text after the pass
    std::vector<Finding> findings;
    std::vector<ShowRecorder::Event> events;
};

// The rows the private pass left, as its text reads back (a row holds no line break).
void restoreRows(PreparedModule& prepared) {
    prepared.publics.rows = Rows(prepared.privates.text);
}

// Nothing when the count or a decision fails or shows an error box: the pass then runs in its
// turn and meets the failure itself. The count must read no file of the module's own (see
// OtherModules::countsOnlyOthers), since that file is not written yet. The decisions are made on
// the prepared rows themselves, which restoreRows gives back when the pass is to run after all.
std::optional<PublicAhead> publicAhead(RunContext& ctx, const Bytes& name, OtherModules& others,
                                       PreparedModule& prepared) {
    Session quiet;
    quiet.rules = ctx.session().rules;
    quiet.counting = ctx.session().counting;
    ShowRecorder recorder;
    RunContext recorded(quiet, recorder);
    PassEnv env(recorded, name);
    PublicDeclarations decls = prepared.publics.decls;
    try {
        others.count(env, decls, name);
    } catch (...) {
        return std::nullopt;
    }
    if (recorder.failed()) return std::nullopt;
    Rows rows = std::move(prepared.publics.rows);
    try {
        decidePublic(env, rows, decls);
        if (!recorder.failed())
            return PublicAhead{rows.joined(), env.takeFindings(), recorder.take()};
    } catch (...) {
    }
    restoreRows(prepared);
    return std::nullopt;
}

// Whether replaying the counter changes can overflow no counter: then they give the labels the
// passes would have given. Otherwise the passes run as usual and meet the overflow themselves.
// With `ahead`, the public pass's changes too, which are shown after its file is written.
bool replaySafe(const Counters& counters, const PreparedModule& prepared,
                const PublicAhead* ahead = nullptr) {
    std::int64_t up[kCounterCount] = {}, down[kCounterCount] = {};
    auto add = [&](CounterId id, std::int64_t delta) {
        (delta > 0 ? up : down)[indexOf(id)] += delta;
    };
    for (const PreparedPass* pass : {&prepared.locals, &prepared.privates})
        for (const auto& [id, delta] : pass->bumps) add(id, delta);
    if (ahead) {
        for (const auto& [id, delta] : prepared.publics.bumps) add(id, delta);
        for (const ShowRecorder::Event& e : ahead->events)
            if (e.kind == ShowRecorder::Event::Kind::Bump) add(e.id, e.value);
    }
    for (int i = 0; i < kCounterCount; ++i) {
        const std::int64_t value = counters.get(static_cast<CounterId>(i));
        if (value + up[i] > std::numeric_limits<std::int32_t>::max() ||
            value + down[i] < std::numeric_limits<std::int32_t>::min())
            return false;
    }
    return true;
}

// A prepared pass as the pass itself would end: its counter changes, then its file written.
// False when the write failed (its error box shown): the file keeps its content, and the next
// passes must read it.
// `written`: the file holds the pass's text already.
bool commitPass(RunContext& ctx, const Bytes& name, const PreparedPass& pass, bool written) {
    return guarded(ctx.window(), [&] {
        const fs::path file = ctx.moduleFile(name);
        for (const auto& [id, delta] : pass.bumps) ctx.bump(id, delta);
        ctx.yield();
        if (!written && writesBack(ctx.session().rules, pass.changed))
            files::writeAll(file, pass.text);
        ctx.addFindings(pass.findings);
    });
}

// Under the safe rules a pass writes only what it changed, so the text the first three
// prepared passes leave (or, with `publicText`, the public pass after them) can be written at
// once, before any of them is shown: then each pass shows what it would have shown after its
// own successful write, with one write in place of up to four. True when the file holds that
// text now. When the write fails nothing is shown: the passes then write one by one, as usual,
// and meet (and report) the failure themselves.
bool writeAhead(RunContext& ctx, const Bytes& name, const PreparedModule& prepared,
                const Bytes* publicText) {
    if (ctx.session().rules != RuleSet::Safe) return false;
    if (!prepared.collected.changed && !prepared.locals.changed && !prepared.privates.changed &&
        (!publicText || *publicText == prepared.privates.text))
        return true;
    try {
        files::writeAll(ctx.moduleFile(name), publicText ? *publicText : prepared.privates.text);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

}  // namespace

std::optional<Bytes> moduleDriver(RunContext& ctx, std::size_t index, OtherModules& others,
                                  std::optional<PreparedModule>& prepared) {
    Window& w = ctx.window();
    Counters& counters = ctx.counters();
    const Bytes name = ctx.modules()[index];
    const std::string shown = text::toUtf8(name);
    ctx.setModuleRow(index);
    if (prepared && !replaySafe(counters, *prepared)) prepared.reset();
    const std::vector<char>& left = ctx.session().publicsLeft;
    const bool judge = index >= left.size() || !left[index];
    std::optional<PublicAhead> ahead;
    if (prepared && judge && ctx.session().rules == RuleSet::Safe &&
        !prepared->publics.decls.names.empty() && others.countsOnlyOthers(index))
        ahead = publicAhead(ctx, name, others, *prepared);
    const bool writtenAhead =
        prepared && (!ahead || replaySafe(counters, *prepared, &*ahead)) &&
        writeAhead(ctx, name, *prepared, ahead ? &ahead->text : nullptr);
    if (ahead && !writtenAhead) {
        // The passes run in their turn after all, the public pass on the rows it would have read.
        ahead.reset();
        restoreRows(*prepared);
    }

    // A prepared pass written, or the pass run as usual when nothing is prepared (any more).
    // After a prepared pass fails to write, the next passes read the file it left.
    auto pass = [&](PreparedPass PreparedModule::*step, auto&& run) {
        if (prepared && commitPass(ctx, name, (*prepared).*step, writtenAhead)) return;
        if (!prepared) guarded(w, run);
        prepared.reset();
    };

    w.setStatus("");
    ctx.setProgress(0);
    w.setStatus(statusCollecting(shown));
    if (prepared) ctx.objects() = prepared->objects;
    pass(&PreparedModule::collected, [&] { collectModule(ctx, name); });
    others.changed(index);

    w.setStatus(statusSearching("Dim", shown));
    pass(&PreparedModule::locals, [&] { localVariablePass(ctx, name); });
    others.changed(index);
    counters.show(CounterId::Dim, w);
    counters.show(CounterId::UnusedDim, w);

    w.setStatus(statusSearching("Private", shown));
    pass(&PreparedModule::privates, [&] { privatePass(ctx, name); });
    others.changed(index);
    counters.show(CounterId::Private, w);
    counters.show(CounterId::UnusedPrivate, w);

    w.setStatus(statusSearching("Public", shown));
    std::optional<Bytes> written;
    guarded(w, [&] {
        if (!prepared) {
            written = publicPass(ctx, name, others, judge);
            return;
        }
        // As the pass's own collection would have counted them.
        for (const auto& [id, delta] : prepared->publics.bumps) ctx.bump(id, delta);
        ctx.yield();
        if (ahead) {
            // Its file is written: what the count and the decisions showed, then their findings.
            ShowRecorder::replay(ctx, ahead->events);
            ctx.addFindings(std::move(ahead->findings));
            written = std::move(ahead->text);
            return;
        }
        // The file holds the private pass's text, written or left as it was.
        written = publicPassCollected(ctx, name, others, prepared->publics.rows,
                                      prepared->publics.decls, prepared->privates.text, judge);
    });
    others.changed(index);
    counters.show(CounterId::Public, w);
    counters.show(CounterId::UnusedPublic, w);

    w.setStatus(statusFinished(files::display(ctx.workingCopy())));
    return written;
}

void judgeProject(RunContext& ctx, const ProjectPart* part) {
    Window& w = ctx.window();
    // The working copy may have been replaced by a link since intake: nothing is written then.
    if (!guarded(w, [&] { refuseLinkedWorkingCopy(ctx.workingCopy()); })) return;
    // Held to the end of the run; another intake or run on this copy is refused meanwhile.
    std::optional<files::FolderLock> lock;
    std::error_code ec;
    if (fs::is_directory(ctx.workingCopy(), ec) &&
        !guarded(w, [&] { lock.emplace(ctx.workingCopy()); }))
        return;
    files::removeLeftovers(ctx.workingCopy());
    // Each pass's replaced file is overwritten by the next replacement instead of being freed.
    files::ReuseReplacedFiles reuse(ctx.workingCopy());
    // The table is not changed during a run (intake refuses to start while one is under way).
    const std::size_t count = ctx.modules().size();
    std::unique_ptr<OtherModules> own;
    if (!part) own = otherModules(ctx);
    OtherModules* others = part ? part->others : own.get();
    // A row whose file is missing is read by no pass (the run has reported it once); a
    // designer is only read by the other modules' Public passes.
    const std::vector<char>& missing = ctx.session().rowMissing;
    const bool safe = ctx.session().rules == RuleSet::Safe;
    auto skipped = [&](std::size_t row) {
        return (row < missing.size() && missing[row]) ||
               (safe && isDesignerRow(ctx.modules()[row])) || (part && part->judgedBefore(row));
    };
    // With the index, the next modules' own passes are prepared while this one finishes.
    std::optional<ModulePreparer> preparer;
    if (ctx.session().counting == Counting::Indexed) preparer.emplace(ctx.session(), 2);
    // Ahead by no more source than a prepared module's texts keep small, and far enough in
    // modules that the preparing threads go on while this one counts every module's words
    // before the first public pass (with 8 they waited for it; 64 small modules hold a few MiB).
    constexpr std::size_t kAheadModules = 64;
    constexpr std::uintmax_t kAheadBytes = std::uintmax_t{16} << 20;
    std::size_t requested = 0;
    std::vector<std::uintmax_t> sizes(count, 0);
    std::uintmax_t bytesAhead = 0;  // of the modules asked for and not taken yet
    auto requestAhead = [&](std::size_t current) {
        for (; preparer && requested < count && requested <= current + kAheadModules &&
               (requested == current || bytesAhead < kAheadBytes);
             ++requested) {
            if (skipped(requested)) continue;
            try {
                std::error_code ec;
                const std::uintmax_t size =
                    fs::file_size(ctx.moduleFile(ctx.modules()[requested]), ec);
                sizes[requested] = ec ? 0 : size;
            } catch (const RunError&) {
                // No file for the row: nothing is prepared for it.
            }
            bytesAhead += sizes[requested];
            preparer->request(requested, ctx.modules()[requested], others->generation(requested));
        }
    };
    const std::size_t firstShown = part ? part->firstShownRow : 0;
    for (std::size_t i = 0; i < count; ++i) {
        w.selectModule(static_cast<int>(firstShown + i));
        // A module an earlier project of the run included is judged already, for all of them.
        if (skipped(i)) continue;
        requestAhead(i);
        std::optional<PreparedModule> prepared;
        if (preparer) {
            prepared = preparer->take(i, others->generation(i));
            bytesAhead -= sizes[i];
        }
        const Counters before = ctx.counters();
        std::optional<Bytes> written;
        guarded(w, [&] { written = moduleDriver(ctx, i, *others, prepared); });
        // The file's words now, from the rows the preparer tokenised.
        std::optional<FileWords> words;
        if (prepared && prepared->tokens && written) words = prepared->tokens->fileWords(*written);
        // A million small strings are freed faster where they were made, and not here.
        if (prepared) preparer->dispose(std::move(*prepared));
        if (part) part->judged(i, before, written);
        others->finished(i, std::move(written), std::move(words));
    }
}

void detectionRun(RunContext& ctx) {
    Window& w = ctx.window();
    w.setBusy(true);
    struct PointerBack {
        Window& w;
        ~PointerBack() { w.setBusy(false); }
    } pointerBack{w};
    ctx.counters().zero();
    ctx.session().findings.clear();
    resetLabels(w);
    judgeProjects(ctx);
    ctx.setProgress(0);
}

}  // namespace scourvane
