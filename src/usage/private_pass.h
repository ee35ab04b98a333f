#pragma once
// The private pass: judges the module-level Private declarations against the module.
#include <string_view>
#include <vector>

#include "base/context.h"
#include "usage/pass_env.h"

namespace scourvane {

void privatePass(RunContext& ctx, const Bytes& name);

// The module's new text, with no line break after its last line. With `rows`, also its lines,
// as reading that text back would give them.
Bytes markUnusedPrivates(PassEnv& env, std::string_view content, Rows* rows = nullptr);

// The private check: lists the Private declarations of the module's rows, counts their using
// lines over all rows, then marks, in place, each whose name fewer than two rows use (a whole
// block for a Sub, Function, Property or Type in the first column). `holdsScope`, when given:
// per row, whether it holds the bytes "Private" (a row without them declares nothing).
void checkPrivate(PassEnv& env, Rows& rows, const std::vector<bool>* holdsScope = nullptr);

}  // namespace scourvane
