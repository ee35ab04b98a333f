#pragma once
// The object names of a module: the objects its file header describes (the form, its controls,
// an MDI form) and the event sources and interfaces its declarations section names. A declared
// name containing one of them is an event or interface procedure and is never judged.
#include <string>
#include <string_view>
#include <vector>

#include "text/codepage.h"

namespace scourvane {

using text::Bytes;

// The form-object step for one header line: records the last word of a block opening line
// ("Begin ") or of a header WithEvents declaration, once; "MDIForm" for an MDI form. May drop
// one trailing space from `line`, which is then written back in that form.
void formObjectStep(std::string& line, std::vector<Bytes>& objects);

// For one statement of the declarations section: when it declares a WithEvents variable or
// implements an interface, records that name followed by "_" (the prefix of its event or
// interface procedures), once.
void recordEventSource(std::string_view statement, std::vector<Bytes>& objects);

}  // namespace scourvane
