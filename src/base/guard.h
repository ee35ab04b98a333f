#pragma once
// An operation with its own error handler: a failure shows the error box, ends the operation
// and lets the caller go on. Closing is no failure and passes through.
#include <new>
#include <string>
#include <utility>

#include "base/run_error.h"
#include "base/window.h"

namespace scourvane {

// Runs op; returns false when it failed (after the box was shown).
template <class Op>
bool guarded(Window& window, Op&& op) {
    try {
        std::forward<Op>(op)();
        return true;
    } catch (const RunError& e) {
        window.showError(e.number(), e.description());
    } catch (const std::bad_alloc&) {
        window.showError(err::kOutOfMemory, "メモリが不足しています");
    } catch (const std::exception& e) {
        window.showError(err::kInternal, std::string("内部エラー: ") + e.what());
    }
    return false;
}

}  // namespace scourvane
