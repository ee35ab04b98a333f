#include "collect/declaration_kind.h"

#include <array>

#include "collect/name_scan.h"
#include "text/search.h"

namespace scourvane {

namespace {

struct ChainStep {
    std::string_view prefix;
    bool isSub = false;
};

// The kind words removed after the scope keyword, in this order; each at most once. "Property
// Let " sits with its siblings so that a Property Let header gives the property's own name.
constexpr std::array<ChainStep, 10> kKindChain{{
    {"Sub ", true},
    {"Type "},
    {"Const "},
    {"Function "},
    {"Property Get "},
    {"Property Set "},
    {"Property Let "},
    {"Property "},
    {"Declare Sub "},
    {"Declare Function "},
}};

// Kinds whose uses are not counted by name: never reported.
constexpr std::array<std::string_view, 3> kUnjudgedKinds{"Event ", "Enum ", "Static "};

constexpr std::string_view kWithEvents = "WithEvents ";

bool isBefore(std::string_view hay, std::string_view needle, std::size_t limit) {
    std::size_t at = text::find(hay, needle);
    return at != text::npos && at < limit;
}

}  // namespace

Bytes declaredName(std::string_view line, std::string_view scope, const std::vector<Bytes>& objects,
                   bool standardModule) {
    Bytes name = scopedName(line, scope, standardModule);
    if (!name.empty() && isObjectName(name, objects)) return {};
    return name;
}

Bytes scopedName(std::string_view line, std::string_view scope, bool standardModule) {
    // The padded keyword can only be found where the line holds the word itself.
    if (!text::containsBytes(line, scope)) return {};
    const std::string padded = text::padded(line);
    const std::string keyword = text::padded(scope);
    const std::size_t at = text::find(padded, keyword);
    if (at == text::npos) return {};
    // A keyword after an apostrophe is in a comment; after a double quote it is in or behind
    // a string literal.
    if (isBefore(padded, "'", at) || isBefore(padded, "\"", at)) return {};

    std::string_view rest = std::string_view(padded).substr(at + keyword.size());
    for (std::string_view kind : kUnjudgedKinds)
        if (text::startsWith(rest, kind)) return {};
    if (text::startsWith(rest, kWithEvents)) rest.remove_prefix(kWithEvents.size());

    bool isSub = false;
    for (const ChainStep& step : kKindChain) {
        if (!text::startsWith(rest, step.prefix)) continue;
        rest.remove_prefix(step.prefix.size());
        isSub = isSub || step.isSub;
    }

    // `rest` ends with the padding space, so a name is always ended by one of the three.
    const std::string_view name = leadingName(rest);
    if (name.empty()) return {};
    if (standardModule && isSub && text::compareIgnoringCase(name, "Main") == 0) return {};
    return Bytes(name);
}

UpperObjectNames upperObjectNames(const std::vector<Bytes>& objects) {
    UpperObjectNames upper;
    upper.rows.reserve(objects.size());
    for (const Bytes& object : objects) upper.rows.push_back(text::toUpper(object));
    return upper;
}

bool isObjectName(std::string_view name, const std::vector<Bytes>& objects) {
    return namesAnObject(name, upperObjectNames(objects));
}

bool namesAnObject(std::string_view name, const UpperObjectNames& objects) {
    const std::string upperName = text::toUpper(name);
    for (const std::string& object : objects.rows) {
        // An empty row would turn every name away; none is ever recorded, and none counts.
        if (object.empty()) continue;
        if (text::contains(upperName, object)) return true;
    }
    return false;
}

bool isStandardModuleName(std::string_view moduleName) {
    const std::string upper = text::toUpper(moduleName);
    return !text::endsWith(upper, "CLS") && !text::endsWith(upper, "FRM");
}

bool isClassLikeModuleName(std::string_view moduleName) {
    const std::string upper = text::toUpper(moduleName);
    for (std::string_view suffix : {"FRM", "CLS", "CTL", "PAG", "DOB"})
        if (text::endsWith(upper, suffix)) return true;
    return false;
}

}  // namespace scourvane
