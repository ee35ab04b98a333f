#pragma once
// Paths as every layer needs them: made from UTF-8 text, shown as UTF-8, and the file of a
// module row in the working copy, which must never lie outside it.
//
// Text becomes a path and a path becomes text only through fromUtf8 and display. On Windows
// both convert between UTF-8 and the UTF-16 names of the file system; std::filesystem's own
// std::string conversions would use the ANSI code page there and lose every character it
// lacks. On Linux a name is bytes, passed through unchanged either way.
#include <filesystem>
#include <string>
#include <string_view>

#include "text/codepage.h"

namespace scourvane {

namespace files {
// A path as UTF-8 for messages, output and name comparisons (on Linux: its bytes as they are).
std::string display(const std::filesystem::path& p);
// The path a UTF-8 text names (on Linux: those bytes as they are).
std::filesystem::path fromUtf8(std::string_view utf8);
}  // namespace files

// The path a file is known by, for telling whether two paths name one file: canonical (links
// and "..", and on a case-insensitive system the letter case, resolved), or absolute and
// normal when it cannot be resolved.
std::filesystem::path fileIdentity(const std::filesystem::path& p);

// working copy / row, for a row that is a bare file name; RunError 52 otherwise (empty, ".",
// "..", a separator, or bytes that are no text of the code page).
std::filesystem::path workingCopyFile(const std::filesystem::path& workingCopy,
                                      const text::Bytes& row);

// A key under which two rows of one working copy are equal when they name one file there:
// the row itself, or on Windows, whose file names ignore letter case, the row in upper case.
text::Bytes workingCopyKey(const text::Bytes& row);

}  // namespace scourvane
