#include "base/findings.h"

#include <cctype>

namespace scourvane {

namespace {

std::string_view nextWord(std::string_view& line) {
    std::size_t at = 0;
    while (at < line.size() && (line[at] == ' ' || line[at] == '\t')) ++at;
    std::size_t end = at;
    while (end < line.size() && line[end] != ' ' && line[end] != '\t') ++end;
    const std::string_view word = line.substr(at, end - at);
    line.remove_prefix(end);
    return word;
}

bool sameWord(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

}  // namespace

DeclarationKind declarationKindOf(std::string_view line, std::string_view marker) {
    while (!marker.empty() && line.substr(0, marker.size()) == marker)
        line.remove_prefix(marker.size());
    nextWord(line);  // the scope keyword
    const std::string_view word = nextWord(line);
    if (sameWord(word, "Const")) return DeclarationKind::Constant;
    if (sameWord(word, "Declare")) return DeclarationKind::Declare;
    if (sameWord(word, "Type")) return DeclarationKind::Type;
    if (sameWord(word, "Sub") || sameWord(word, "Function")) return DeclarationKind::Procedure;
    if (sameWord(word, "Property")) return DeclarationKind::Property;
    return DeclarationKind::Variable;
}

std::string_view ruleId(Rule rule) {
    switch (rule) {
        case Rule::UnusedDim:
            return "unused-dim";
        case Rule::UnusedPrivate:
            return "unused-private";
        case Rule::UnusedPublic:
            return "unused-public";
        case Rule::PublicToPrivate:
            return "public-to-private";
    }
    return "";
}

std::string_view kindName(DeclarationKind k) {
    switch (k) {
        case DeclarationKind::Variable:
            return "variable";
        case DeclarationKind::Constant:
            return "constant";
        case DeclarationKind::Declare:
            return "declare";
        case DeclarationKind::Type:
            return "type";
        case DeclarationKind::Procedure:
            return "procedure";
        case DeclarationKind::Property:
            return "property";
    }
    return "";
}

}  // namespace scourvane
