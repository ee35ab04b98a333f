#pragma once
// The local-variable pass: judges the Dim variables of each procedure against that procedure.
#include "run/context.h"

namespace scourvane {

void localVariablePass(RunContext& ctx, const Bytes& name);

}  // namespace scourvane
