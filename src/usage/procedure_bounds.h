#pragma once
// The procedure-header and procedure-end tests with which the local-variable pass cuts a module
// into procedures. Both match keywords in the padded line, reject a keyword that stands after
// an apostrophe (comment rule) and one that seems to stand inside a string (quote guard).
#include <string_view>

#include "text/codepage.h"

namespace scourvane {

// The name of the procedure that `line` opens, or an empty text when it opens none; always
// empty for a line that holds none of "Sub", "Function" and "Property" (byte for byte).
text::Bytes procedureHeaderName(std::string_view line);

// True when `line` closes a procedure; never for a line without "End " (byte for byte).
bool isProcedureEnd(std::string_view line);

}  // namespace scourvane
