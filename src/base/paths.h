#pragma once
// Paths as every layer needs them: shown as UTF-8, and the file of a module row in the working
// copy, which must never lie outside it.
#include <filesystem>
#include <string>

#include "text/codepage.h"

namespace scourvane {

namespace files {
// A path as UTF-8 for messages and output.
std::string display(const std::filesystem::path& p);
}  // namespace files

// working copy / row, for a row that is a bare file name; RunError 52 otherwise (empty, ".",
// "..", a separator, or bytes that are no text of the code page).
std::filesystem::path workingCopyFile(const std::filesystem::path& workingCopy,
                                      const text::Bytes& row);

}  // namespace scourvane
