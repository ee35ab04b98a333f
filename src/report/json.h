#pragma once
// JSON text for the reports and the terminal front end's --json object.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "report/report_data.h"

namespace scourvane::report {

// A JSON string literal for UTF-8 text. A byte that does not belong to a well-formed UTF-8
// sequence is written as U+FFFD, so that the result is always valid JSON.
std::string jsonString(std::string_view s);

// The six counters as one object: {"dim":…,"unused_dim":…,…,"unused_public":…}, in the order of
// CounterId.
std::string countersJson(const std::array<std::int32_t, kCounterCount>& values);
std::string countersJson(const std::array<std::int64_t, kCounterCount>& values);
// Each run as {"run":…,"counters":{…},"findings":…}, in an array.
std::string runsJson(const std::vector<RunSummary>& runs);

}  // namespace scourvane::report
