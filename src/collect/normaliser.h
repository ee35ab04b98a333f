#pragma once
// The declaration normaliser: rewrites one logical code line so that module-level variables
// declared with Dim read as Private, and a declaration of several names becomes one statement
// per name, each repeating the statement's keyword. The later passes rely on both.
#include <string>
#include <string_view>
#include <vector>

#include "text/codepage.h"

namespace scourvane {

using text::Bytes;

// False when the line holds none of the words the keyword rows are made of: then it holds no
// row, and the normaliser gives it back unchanged.
bool mayNeedNormalising(std::string_view line);

// The statements to write in place of `line`; more than one after a split. `declarations` is
// true while the line stands in the module's declarations section.
// With `split` false (a declaration the user keeps) the line stays one statement; module-level
// Dim is still rewritten.
std::vector<Bytes> normaliseStatements(std::string_view line, bool declarations,
                                       bool split = true);

// The same statements joined with CR LF.
Bytes normaliseDeclaration(std::string_view line, bool declarations);

// Every "Dim " that begins the line or follows a space, outside string literals and comments,
// as "Private ". Comments are the user's text, commented-out code included.
Bytes rewriteModuleDim(std::string_view line);

// True when the text must be left whole: its first ", " seems to stand in a string literal, or
// it holds none of "Dim ", "Const ", "Private ", "Public ".
bool stringCommaGuard(std::string_view text);

// True when the text must be left whole: an opening parenthesis (later closed) stands before
// its first ", ".
bool parenthesisCommaGuard(std::string_view text);

}  // namespace scourvane
