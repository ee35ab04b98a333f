// SARIF 2.1.0: one run, the tool's four rules, one result per finding located in the working
// copy through the WORKINGCOPY base URI, the counters of each detection run as properties.
#include <cstdio>
#include <map>

#include "report/json.h"
#include "report/reports.h"

namespace scourvane::report {

namespace {

// A URI path from UTF-8 text: every byte but the unreserved characters and "/" escaped.
std::string uriPath(std::string_view text) {
    std::string out;
    for (unsigned char c : text) {
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
            c == '-' || c == '.' || c == '_' || c == '~' || c == '/') {
            out += static_cast<char>(c);
        } else {
            char buf[4];
            std::snprintf(buf, sizeof buf, "%%%02X", c);
            out += buf;
        }
    }
    return out;
}

std::string level(Rule rule) {
    return rule == Rule::PublicToPrivate ? "note" : "warning";
}

std::string message(const ReportData& data, const Finding& f) {
    const std::string name = decoded(data, f.name);
    const RuleText& t = ruleText(f.rule);
    const std::string kind(kindName(f.kind));
    if (f.rule == Rule::PublicToPrivate)
        return "'" + name + "' (" + kind +
               ") is used only in its own module and is declared "
               "Private in the working copy. / " +
               t.japanese + ": " + name;
    return "'" + name + "' (" + kind + ") is not used: " + t.english +
           ", commented out in the working copy. / " + t.japanese + ": " + name;
}

std::string artifactUri(const ReportData& data, const Finding& f) {
    return uriPath(relativeFile(data, f));
}

std::string keyOf(const ReportData& data, const Finding& f) {
    return baselineKey(artifactUri(data, f), std::string(ruleId(f.rule)), decoded(data, f.name),
                       std::string(kindName(f.kind)));
}

}  // namespace

namespace {

std::vector<std::string> findingKeys(const ReportData& data) {
    std::vector<std::string> keys;
    for (const Finding& f : data.findings) keys.push_back(keyOf(data, f));
    return keys;
}

}  // namespace

BaselineStates baselineStates(const ReportData& data) {
    return compareWithBaseline(data.baseline.value_or(Baseline{}), findingKeys(data));
}

std::string utf8(const fs::path& p) {
    const std::u8string generic = p.generic_u8string();
    return std::string(generic.begin(), generic.end());
}

std::string fileUri(const fs::path& absolute) {
    const std::string path = utf8(absolute);
    // Appended piece by piece: GCC 12 warns (-Wrestrict, a false positive) on inserting a
    // literal at the front of a string.
    std::string uri = "file://";
    if (path.empty() || path[0] != '/') uri += '/';  // "C:/x" becomes "/C:/x"
    uri += uriPath(path);
    return uri;
}

std::string sarifReport(const ReportData& data) {
    std::string out =
        "{\n\"$schema\":\"https://docs.oasis-open.org/sarif/sarif/v2.1.0/errata01/os/schemas/"
        "sarif-schema-2.1.0.json\",\n\"version\":\"2.1.0\",\n\"runs\":[{\n";
    out += "\"tool\":{\"driver\":{\"name\":\"Scourvane\",\"version\":" + jsonString(toolVersion()) +
           ",\"semanticVersion\":" + jsonString(toolVersion()) + ",\"language\":\"ja\",\"rules\":[";
    for (int r = 0; r < kRuleCount; ++r) {
        const Rule rule = static_cast<Rule>(r);
        const RuleText& t = ruleText(rule);
        if (r) out += ",";
        out += "\n{\"id\":" + jsonString(ruleId(rule)) + ",\"name\":" + jsonString(t.english) +
               ",\"shortDescription\":{\"text\":" +
               jsonString(std::string(t.japanese) + " / " + t.english) +
               "},\"fullDescription\":{\"text\":" +
               jsonString(std::string(t.japaneseFull) + "\n" + t.englishFull) +
               "},\"defaultConfiguration\":{\"level\":\"" + level(rule) + "\"}" +
               ",\"properties\":{\"ja\":" + jsonString(t.japanese) +
               ",\"en\":" + jsonString(t.english) + "}}";
    }
    out += "]}},\n";

    std::string base = fileUri(data.workingCopy);
    if (base.back() != '/') base += '/';
    out += "\"originalUriBaseIds\":{\"WORKINGCOPY\":{\"uri\":" + jsonString(base) +
           ",\"description\":{\"text\":" +
           jsonString(data.projects.empty()
                          ? "The working copy the run wrote."
                          : "The folder that holds the working copies the run wrote.") +
           "}}},\n";
    out += "\"columnKind\":\"unicodeCodePoints\",\n";
    out += "\"automationDetails\":{\"id\":" + jsonString("scourvane/" + data.rules + "/") +
           ",\"description\":{\"text\":" + jsonString("rules: " + data.rules) + "}},\n";
    out += "\"invocations\":[{\"executionSuccessful\":" +
           std::string(data.errors.empty() ? "true" : "false") +
           ",\"toolExecutionNotifications\":[";
    for (std::size_t i = 0; i < data.errors.size(); ++i) {
        if (i) out += ",";
        out += "\n{\"level\":\"error\",\"message\":{\"text\":" +
               jsonString("Error " + std::to_string(data.errors[i].number) + " (" +
                          data.errors[i].description + ")") +
               "},\"properties\":{\"number\":" + std::to_string(data.errors[i].number) + "}}";
    }
    for (std::size_t i = 0; i < data.warnings.size(); ++i) {
        if (i || !data.errors.empty()) out += ",";
        out += "\n{\"level\":\"warning\",\"message\":{\"text\":" + jsonString(data.warnings[i]) +
               "}}";
    }
    out += "]}],\n\"results\":[";
    const std::vector<std::string> keys = findingKeys(data);
    const BaselineStates states = compareWithBaseline(data.baseline.value_or(Baseline{}), keys);
    std::map<std::string, int> occurrences;  // of each key so far, for the fingerprints
    for (std::size_t i = 0; i < data.findings.size(); ++i) {
        const Finding& f = data.findings[i];
        const std::string& key = keys[i];
        if (i) out += ",";
        out += "\n{\"ruleId\":" + jsonString(ruleId(f.rule)) +
               ",\"ruleIndex\":" + std::to_string(static_cast<int>(f.rule)) + ",\"level\":\"" +
               level(f.rule) + "\",\"message\":{\"text\":" + jsonString(message(data, f)) +
               "},\"locations\":[{\"physicalLocation\":{\"artifactLocation\":{\"uri\":" +
               jsonString(artifactUri(data, f)) +
               ",\"uriBaseId\":\"WORKINGCOPY\"},\"region\":{\"startLine\":" +
               std::to_string(f.firstLine) + ",\"endLine\":" + std::to_string(f.lastLine) +
               ",\"snippet\":{\"text\":" + jsonString(decoded(data, f.text)) + "}}}}]" +
               ",\"properties\":{\"name\":" + jsonString(decoded(data, f.name)) +
               ",\"kind\":" + jsonString(kindName(f.kind)) +
               ",\"moduleRow\":" + std::to_string(f.row + 1) + ",\"run\":" + std::to_string(f.run) +
               ",\"rules\":" + jsonString(data.rules) +
               (data.projects.empty() ? "" : ",\"project\":" + jsonString(projectOf(data, f))) +
               "}" + ",\"partialFingerprints\":{\"scourvaneFinding/v1\":" +
               jsonString(fingerprint(key, occurrences[key]++)) + "}" +
               (data.baseline ? ",\"baselineState\":" + jsonString(states.states[i]) : "") + "}";
    }
    for (const std::string& absent : states.absent) {
        if (out.back() != '[') out += ",";
        out += "\n" + absent;
    }
    out += "],\n\"properties\":{\"project\":" + jsonString(utf8(data.projectFile)) +
           ",\"rules\":" + jsonString(data.rules) + ",\"counters\":" +
           (data.runs.empty() ? std::string("{}") : countersJson(data.runs.back().counters)) +
           ",\"runs\":" + runsJson(data.runs);
    if (!data.projects.empty()) {
        out += ",\"projects\":[";
        for (std::size_t i = 0; i < data.projects.size(); ++i) {
            if (i) out += ",";
            out += "{\"project\":" + jsonString(utf8(data.projects[i].projectFile)) +
                   ",\"workingCopy\":" + jsonString(utf8(data.projects[i].workingCopy)) +
                   ",\"counters\":" + countersJson(data.projects[i].counters) + "}";
        }
        out += "]";
    }
    out += "}\n}]\n}\n";
    return out;
}

}  // namespace scourvane::report
