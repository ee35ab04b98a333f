#pragma once
// The local-variable pass: judges the Dim variables of each procedure against that procedure.
#include <span>
#include <string_view>
#include <vector>

#include "base/context.h"
#include "usage/pass_env.h"

namespace scourvane {

void localVariablePass(RunContext& ctx, const Bytes& name);

// The module's new text: each procedure (header through end line) checked, every line
// followed by CR LF. Lines outside procedures pass through unchanged.
Bytes markUnusedLocals(PassEnv& env, std::string_view content);

// The procedure check, on its lines as they are: sets `marked` (one per line) for each Dim
// line of the procedure whose name fewer than two of its lines use.
void checkProcedure(PassEnv& env, std::span<const std::string_view> rows,
                    std::vector<bool>& marked);

}  // namespace scourvane
