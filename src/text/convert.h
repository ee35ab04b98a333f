#pragma once
// Conversion between the code page's bytes and UTF-8, for display and for file names only.
#include <optional>
#include <string>
#include <string_view>

#include "text/codepage.h"

namespace scourvane::text {

// Exact conversion; nullopt when the bytes are not valid text of the code page.
std::optional<std::string> toUtf8Exact(std::string_view bytes,
                                       const CodePage& cp = activeCodePage());
// For display: bytes that do not convert are shown as U+FFFD.
std::string toUtf8(std::string_view bytes, const CodePage& cp = activeCodePage());
// UTF-8 to the code page; nullopt when a character has no form in it.
std::optional<std::string> fromUtf8(std::string_view utf8, const CodePage& cp = activeCodePage());

}  // namespace scourvane::text
