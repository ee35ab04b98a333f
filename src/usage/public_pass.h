#pragma once
// The public pass: judges the Public declarations against the whole project.
#include "run/context.h"

namespace scourvane {

void publicPass(RunContext& ctx, const Bytes& name);

}  // namespace scourvane
