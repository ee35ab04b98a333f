#pragma once
// The private pass: judges the module-level Private declarations against the module.
#include "run/context.h"

namespace scourvane {

void privatePass(RunContext& ctx, const Bytes& name);

}  // namespace scourvane
