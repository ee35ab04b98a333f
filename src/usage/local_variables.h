#pragma once
// The local-variable pass: judges the Dim variables of each procedure against that procedure.
#include <string_view>
#include <vector>

#include "base/context.h"
#include "usage/pass_env.h"

namespace scourvane {

void localVariablePass(RunContext& ctx, const Bytes& name);

// The module's new text: each procedure (header through end line) checked, every line
// followed by CR LF. Lines outside procedures pass through unchanged.
Bytes markUnusedLocals(PassEnv& env, std::string_view content);

// The procedure check: marks, in place, each Dim line of the procedure whose name fewer than
// two of its lines use.
void checkProcedure(PassEnv& env, std::vector<Bytes>& rows);

}  // namespace scourvane
