#pragma once
// UTF-8, as the shared window layer and the engine give texts, to the UTF-16 that every Win32
// call takes, and back.
#include <string>
#include <string_view>

namespace scourvane::win32 {

std::wstring wide(std::string_view utf8);
std::string utf8(std::wstring_view wide);

}  // namespace scourvane::win32
