#pragma once
// Where each byte of a source line stands: in code (at the top level or inside parentheses),
// in a string literal or in a comment. A string literal starts at a double quote in code and
// ends at the next double quote that is not doubled; a comment starts at an apostrophe in code,
// or at "Rem" where a statement begins, and runs to the end of the line.
#include <cstdint>
#include <string_view>
#include <vector>

namespace scourvane {

enum class Zone : std::uint8_t { Code, Nested, String, Comment };

// One zone per byte; both bytes of a double-byte character share the zone of the character.
// The quotes of a literal, the apostrophe of a comment and the parentheses themselves belong
// to what they open or close.
std::vector<Zone> lineZones(std::string_view line);

}  // namespace scourvane
