#pragma once
// What a run decided, one finding per decision: which declaration of which module was marked
// unused or made Private, and which lines of the working copy it touched.
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "text/codepage.h"

namespace scourvane {

using text::Bytes;

enum class Rule { UnusedDim, UnusedPrivate, UnusedPublic, PublicToPrivate };
inline constexpr int kRuleCount = 4;

enum class DeclarationKind { Variable, Constant, Declare, Type, Procedure, Property };

struct Finding {
    std::size_t row = 0;  // the module's row in its project's module table
    Bytes module;         // the row: the module's file name in the working copy
    Rule rule = Rule::UnusedDim;
    Bytes name;  // the declared name
    DeclarationKind kind = DeclarationKind::Variable;
    std::int64_t firstLine = 0, lastLine = 0;  // 1-based, what was marked (or the demoted line)
    Bytes text;   // the declaration line as it was judged, before its marker or demotion
    int run = 1;  // which run of a repeated detection found it
    std::size_t project = 0;  // the project of the run that judged the module
};

// The kind of declaration `line` makes, after any unused markers and its scope keyword
// ("Dim", "Private", "Public", "Global"): Const, Declare, Type, Sub or Function, Property, or
// a variable.
DeclarationKind declarationKindOf(std::string_view line, std::string_view marker);

std::string_view ruleId(Rule rule);           // "unused-dim", ...
std::string_view kindName(DeclarationKind k);  // "variable", ...

}  // namespace scourvane
