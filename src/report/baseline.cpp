#include "report/baseline.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <map>
#include <nlohmann/json.hpp>

#include "base/paths.h"
#include "base/run_error.h"
#include "intake/file_ops.h"

namespace scourvane::report {

namespace {

using nlohmann::json;

std::string field(const json& object, const char* name) {
    const auto it = object.find(name);
    return it != object.end() && it->is_string() ? it->get<std::string>() : std::string();
}

}  // namespace

std::string baselineKey(const std::string& uri, const std::string& rule, const std::string& name,
                        const std::string& kind) {
    // NUL separates: no part holds one.
    std::string key = uri;
    for (const std::string* part : {&rule, &name, &kind}) {
        key += '\0';
        key += *part;
    }
    return key;
}

Baseline readBaseline(const fs::path& file) {
    const std::string text = files::readAll(file);
    auto refuse = [&](const std::string& why) {
        return RunError(err::kPathFileAccess,
                        "比較元の SARIF を読めません: " + files::display(file) + ": " + why);
    };
    json log;
    try {
        log = json::parse(text);
    } catch (const json::exception& e) {
        throw refuse(e.what());
    }
    if (!log.is_object() || !log.contains("runs") || !log["runs"].is_array() ||
        log["runs"].empty() || !log["runs"][0].is_object())
        throw refuse("no runs");
    const json& run = log["runs"][0];
    Baseline out;
    if (!run.contains("results")) return out;
    if (!run["results"].is_array()) throw refuse("results is no array");
    for (const json& result : run["results"]) {
        if (!result.is_object()) throw refuse("a result is no object");
        // An earlier comparison's absent results went away before that run: not compared again.
        if (field(result, "baselineState") == "absent") continue;
        std::string uri;
        try {
            uri = result.at("locations").at(0).at("physicalLocation").at("artifactLocation")
                      .at("uri")
                      .get<std::string>();
        } catch (const json::exception&) {
            throw refuse("a result has no location");
        }
        const json properties = result.value("properties", json::object());
        out.keys.push_back(baselineKey(uri, field(result, "ruleId"), field(properties, "name"),
                                       field(properties, "kind")));
        out.results.push_back(result.dump());
    }
    return out;
}

BaselineStates compareWithBaseline(const Baseline& baseline,
                                   const std::vector<std::string>& currentKeys) {
    std::multimap<std::string, std::size_t> earlier;
    for (std::size_t i = 0; i < baseline.keys.size(); ++i) earlier.emplace(baseline.keys[i], i);
    BaselineStates out;
    for (const std::string& key : currentKeys) {
        const auto it = earlier.find(key);
        if (it == earlier.end()) {
            out.states.push_back("new");
            ++out.newCount;
            continue;
        }
        earlier.erase(it);
        out.states.push_back("unchanged");
        ++out.unchangedCount;
    }
    std::vector<std::size_t> gone;
    for (const auto& [key, i] : earlier) gone.push_back(i);
    std::sort(gone.begin(), gone.end());
    for (std::size_t i : gone) {
        json result = json::parse(baseline.results[i]);
        result["baselineState"] = "absent";
        out.absent.push_back(result.dump());
    }
    return out;
}

std::string fingerprint(const std::string& key, int occurrence) {
    std::uint64_t h = 14695981039346656037ull;  // FNV-1a
    for (unsigned char c : key + '\0' + std::to_string(occurrence)) {
        h ^= c;
        h *= 1099511628211ull;
    }
    char buf[17];
    std::snprintf(buf, sizeof buf, "%016llx", static_cast<unsigned long long>(h));
    return buf;
}

}  // namespace scourvane::report
