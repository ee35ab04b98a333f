#pragma once
// What the end-to-end tests compare a working copy with: the expected copy kept beside each
// fixture, the expected counters and the expected error boxes, and a comparison of two folders
// that names the first differing line of each file in readable form.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "base/counters.h"

namespace scourvane::testing {

namespace fs = std::filesystem;

// Counter name ("dim", "unused_dim", "private", "unused_private", "public", "unused_public") ->
// value, in the form the CLI's JSON and the fixtures' expected-counters*.txt use.
using CounterValues = std::map<std::string, long>;

// Reads "name value" lines; lines starting with "#" are comments. Fails the test on anything
// else, so a typo in a fixture cannot pass silently.
CounterValues readCounterFile(const fs::path& file);
// The six counters of the terminal front end's --json output.
CounterValues jsonCounters(const std::string& json);
CounterValues counterValues(const Counters& counters);

// Reads "number file-name" lines (comments as above): each is one error box whose description
// names that file at its end.
std::vector<std::pair<int, std::string>> readErrorFile(const fs::path& file);

// Compares two folders file by file, byte for byte. On a mismatch the message lists missing and
// extra files and, for each differing file, the first differing line with its number, decoded
// from code page 932 to UTF-8 (or the first differing byte offset for a binary .frx).
::testing::AssertionResult sameTree(const fs::path& expected, const fs::path& actual);

// The first difference between two module texts, for a failure message; empty when equal.
std::string firstDifference(const std::string& expected, const std::string& actual, bool binary);

// Copies a user's project folder, leaving out any working copy ("New_...") a run may have
// left in it, so that a test always starts from the project alone.
void copyProject(const fs::path& from, const fs::path& to);

}  // namespace scourvane::testing
