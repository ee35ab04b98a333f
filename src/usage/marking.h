#pragma once
// Marking unused declarations: the unused marker in front of a line, whole blocks down to their
// end line, and the demotion of a public declaration to a private one.
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "text/codepage.h"
#include "usage/rows.h"

namespace scourvane {

// "'<未使用> |" in the active code page. A code page without those characters gets "?" for
// each, as the platform's own conversion would write them.
text::Bytes unusedMarker();

// Lines that open a block when they begin with one of these (same case) after their leading
// spaces and tabs: a header indented inside an #If block opens its block all the same.
inline constexpr std::string_view kPrivateBlockPrefixes[] = {
    "Private Type ", "Private Sub ", "Private Function ", "Private Property "};
inline constexpr std::string_view kPublicBlockPrefixes[] = {"Public Sub ", "Public Type ",
                                                            "Public Function ", "Public Property "};
// Any of these, after the line's leading spaces and tabs, ends any block.
inline constexpr std::string_view kEndPrefixes[] = {"End Sub", "End Type", "End Function",
                                                    "End Property"};

// Whether `line`, after its leading spaces and tabs, begins with one of `prefixes`.
bool beginsWithAny(std::string_view line, std::span<const std::string_view> prefixes);

// Marks rows[row]; when that line began with one of `blockPrefixes`, also every following row
// down to and including the first that began with an end prefix, or to the last row. Returns
// the last row marked.
std::size_t markDeclaration(Rows& rows, std::size_t row,
                            std::span<const std::string_view> blockPrefixes,
                            std::string_view marker);

// Whether the line, after its leading blanks and any of the words Public, Private, Friend,
// Global and Static, is the header of a Sub, Function, Property or Type.
bool opensProcedureOrType(std::string_view line);

// The row of the end line of the block that rows[row] opens: the first row after it that begins
// with an end prefix, unless a procedure or Type header or the end of the rows comes first, in
// which case there is none.
std::optional<std::size_t> blockEnd(std::span<const std::string_view> rows, std::size_t row);

// The line with "Public " replaced by "Private " wherever it begins a word outside a string
// literal (a trailing comment included).
text::Bytes demoted(std::string_view line);
// The same for a row that may already carry markers in front (a declaration inside a block
// marked earlier in the same decisions): the statement behind the markers is demoted as code,
// so a string literal in it keeps its text.
text::Bytes demotedBehindMarkers(std::string_view row, std::string_view marker);

}  // namespace scourvane
