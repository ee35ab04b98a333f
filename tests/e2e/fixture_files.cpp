#include "e2e/fixture_files.h"

#include <cctype>
#include <fstream>
#include <regex>
#include <sstream>

#include "support/files.h"
#include "text/codepage.h"
#include "text/convert.h"

namespace scourvane::testing {

namespace {

std::vector<std::string> contentLines(const fs::path& file) {
    std::ifstream in(file);
    EXPECT_TRUE(in.good()) << "cannot read " << file;
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] == '#') continue;
        lines.push_back(line);
    }
    return lines;
}

// Splits at LF, keeping any CR, so that line ends are compared too.
std::vector<std::string> rawLines(const std::string& s) {
    std::vector<std::string> out;
    std::size_t start = 0;
    while (start < s.size()) {
        std::size_t nl = s.find('\n', start);
        if (nl == std::string::npos) {
            out.push_back(s.substr(start));
            break;
        }
        out.push_back(s.substr(start, nl - start + 1));
        start = nl + 1;
    }
    return out;
}

std::string shown(const std::string& raw) {
    std::string body = raw;
    std::string ending;
    if (!body.empty() && body.back() == '\n') {
        body.pop_back();
        ending = "LF";
        if (!body.empty() && body.back() == '\r') {
            body.pop_back();
            ending = "CR LF";
        }
    } else {
        ending = "no line end";
    }
    return "\xC2\xAB" + text::toUtf8(body, text::CodePage::get(932)) + "\xC2\xBB (" + ending + ")";
}

bool isBinary(const fs::path& p) {
    std::string ext = p.extension().string();
    for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return ext == ".frx";
}

}  // namespace

CounterValues jsonCounters(const std::string& json) {
    CounterValues values;
    const std::size_t at = json.find("\"counters\":{");
    const std::string counters = json.substr(at, json.find('}', at) - at);
    const std::regex pair("\"([a-z_]+)\":(-?[0-9]+)");
    for (std::sregex_iterator it(counters.begin(), counters.end(), pair), end; it != end; ++it)
        values[(*it)[1]] = std::stol((*it)[2]);
    return values;
}

CounterValues readCounterFile(const fs::path& file) {
    CounterValues values;
    for (const std::string& line : contentLines(file)) {
        std::istringstream in(line);
        std::string name;
        long value = 0;
        std::string rest;
        if (!(in >> name >> value) || (in >> rest)) {
            ADD_FAILURE() << file << ": not a \"name value\" line: " << line;
            continue;
        }
        values[name] = value;
    }
    EXPECT_EQ(values.size(), 6u) << file << " must name all six counters";
    return values;
}

CounterValues counterValues(const Counters& c) {
    return {
        {"dim", c.get(CounterId::Dim)},         {"unused_dim", c.get(CounterId::UnusedDim)},
        {"private", c.get(CounterId::Private)}, {"unused_private", c.get(CounterId::UnusedPrivate)},
        {"public", c.get(CounterId::Public)},   {"unused_public", c.get(CounterId::UnusedPublic)}};
}

std::vector<std::pair<int, std::string>> readErrorFile(const fs::path& file) {
    std::vector<std::pair<int, std::string>> errors;
    for (const std::string& line : contentLines(file)) {
        std::istringstream in(line);
        int number = 0;
        std::string name;
        if (!(in >> number >> name)) {
            ADD_FAILURE() << file << ": not a \"number file\" line: " << line;
            continue;
        }
        errors.emplace_back(number, name);
    }
    return errors;
}

std::string firstDifference(const std::string& expected, const std::string& actual, bool binary) {
    if (expected == actual) return {};
    if (binary) {
        std::size_t i = 0;
        while (i < expected.size() && i < actual.size() && expected[i] == actual[i]) ++i;
        return "first differing byte at offset " + std::to_string(i) + " (sizes " +
               std::to_string(expected.size()) + " expected, " + std::to_string(actual.size()) +
               " actual)";
    }
    const auto want = rawLines(expected);
    const auto got = rawLines(actual);
    std::size_t i = 0;
    while (i < want.size() && i < got.size() && want[i] == got[i]) ++i;
    const std::string number = "line " + std::to_string(i + 1);
    if (i == want.size())
        return number + ": expected the end of the file, actual has " + shown(got[i]);
    if (i == got.size()) return number + ": expected " + shown(want[i]) + ", actual file ends";
    return number + ":\n      expected " + shown(want[i]) + "\n      actual   " + shown(got[i]);
}

::testing::AssertionResult sameTree(const fs::path& expected, const fs::path& actual) {
    if (!fs::is_directory(actual)) return ::testing::AssertionFailure() << "no folder " << actual;
    const auto want = snapshot(expected);
    const auto got = snapshot(actual);
    std::ostringstream problems;
    for (const auto& [name, content] : want) {
        auto it = got.find(name);
        if (it == got.end()) {
            problems << "\n  missing: " << name;
            continue;
        }
        std::string diff = firstDifference(content, it->second, isBinary(name));
        if (!diff.empty()) problems << "\n  " << name << ": " << diff;
    }
    for (const auto& [name, content] : got)
        if (!want.count(name)) problems << "\n  unexpected file: " << name;
    if (problems.str().empty()) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << actual << " differs from " << expected << ":" << problems.str();
}

void copyProject(const fs::path& from, const fs::path& to) {
    fs::create_directories(to);
    for (const auto& entry : fs::directory_iterator(from)) {
        const std::string name = entry.path().filename().string();
        if (entry.is_directory() && name.rfind("New_", 0) == 0) continue;
        fs::copy(entry.path(), to / entry.path().filename(),
                 fs::copy_options::recursive | fs::copy_options::overwrite_existing);
    }
}

}  // namespace scourvane::testing
