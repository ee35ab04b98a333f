#include "engine/detection_run.h"

#include "base/guard.h"
#include "collect/module_collection.h"
#include "intake/file_ops.h"
#include "text/convert.h"
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

void moduleDriver(RunContext& ctx, std::size_t index, OtherModules& others) {
    Window& w = ctx.window();
    Counters& counters = ctx.counters();
    const Bytes name = ctx.modules()[index];
    const std::string shown = text::toUtf8(name);

    w.setStatus("");
    ctx.setProgress(0);
    w.setStatus(statusCollecting(shown));
    guarded(w, [&] { collectModule(ctx, name); });
    others.changed(name);

    w.setStatus(statusSearching("Dim", shown));
    guarded(w, [&] { localVariablePass(ctx, name); });
    others.changed(name);
    counters.show(CounterId::Dim, w);
    counters.show(CounterId::UnusedDim, w);

    w.setStatus(statusSearching("Private", shown));
    guarded(w, [&] { privatePass(ctx, name); });
    others.changed(name);
    counters.show(CounterId::Private, w);
    counters.show(CounterId::UnusedPrivate, w);

    w.setStatus(statusSearching("Public", shown));
    guarded(w, [&] { publicPass(ctx, name, others); });
    others.changed(name);
    counters.show(CounterId::Public, w);
    counters.show(CounterId::UnusedPublic, w);

    w.setStatus(statusFinished(files::display(ctx.workingCopy())));
}

void detectionRun(RunContext& ctx) {
    Window& w = ctx.window();
    w.setBusy(true);
    struct PointerBack {
        Window& w;
        ~PointerBack() { w.setBusy(false); }
    } pointerBack{w};
    ctx.counters().zero();
    resetLabels(w);
    // The table is not changed during a run (intake refuses to start while one is under way).
    const std::size_t count = ctx.modules().size();
    const std::unique_ptr<OtherModules> others = otherModules(ctx);
    for (std::size_t i = 0; i < count; ++i) {
        w.selectModule(static_cast<int>(i));
        guarded(w, [&] { moduleDriver(ctx, i, *others); });
        others->finished(ctx.modules()[i]);
    }
    ctx.setProgress(0);
}

}  // namespace scourvane
