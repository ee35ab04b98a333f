#pragma once
// The keyword table ListVarType: the statement keywords the declaration normaliser looks for.
// Phrases of several words stand before the single words they contain, because the normaliser
// takes the first row found anywhere in a line.
#include <vector>

#include "text/codepage.h"

namespace scourvane {

using text::Bytes;

// The 24 rows, in order, without trailing spaces. Built on first use and never changed.
const std::vector<Bytes>& listVarType();

}  // namespace scourvane
