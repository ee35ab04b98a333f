#pragma once
// JSON text for the reports and the terminal front end's --json object.
#include <string>
#include <string_view>

namespace scourvane::report {

// A JSON string literal for UTF-8 text. A byte that does not belong to a well-formed UTF-8
// sequence is written as U+FFFD, so that the result is always valid JSON.
std::string jsonString(std::string_view s);

}  // namespace scourvane::report
