#include "engine/engine.h"

#include "base/context.h"
#include "base/guard.h"
#include "engine/detection_run.h"
#include "intake/working_copy.h"

namespace scourvane {

template <class Command>
bool Engine::exclusive(Command&& command) {
    if (session_.busy) return false;
    session_.busy = true;
    struct Release {
        bool& busy;
        ~Release() { busy = false; }
    } release{session_.busy};
    RunContext ctx(session_, window_);
    try {
        guarded(window_, [&] { command(ctx); });
    } catch (const Closing&) {
        return false;
    }
    return true;
}

bool Engine::intake(const std::filesystem::path& projectPath) {
    return exclusive([&](RunContext& ctx) { scourvane::intake(ctx, projectPath); });
}

bool Engine::run() {
    return exclusive([](RunContext& ctx) { detectionRun(ctx); });
}

}  // namespace scourvane
