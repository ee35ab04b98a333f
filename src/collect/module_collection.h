#pragma once
// Module collection: the first pass of every module. Normalises the module's file in the
// working copy and records the module's object names in the session's object table.
#include "run/context.h"

namespace scourvane {

void collectModule(RunContext& ctx, const Bytes& name);

}  // namespace scourvane
