#include "collect/form_objects.h"

#include <algorithm>
#include <array>

#include "collect/name_scan.h"
#include "text/search.h"

namespace scourvane {

namespace {

void appendOnce(std::vector<Bytes>& objects, std::string_view name) {
    if (std::find(objects.begin(), objects.end(), name) != objects.end()) return;
    objects.emplace_back(name);
}

}  // namespace

void formObjectStep(std::string& line, std::vector<Bytes>& objects) {
    if (text::contains(line, "Begin VB.MDIForm ")) {
        objects.emplace_back("MDIForm");
        return;
    }
    if (!text::contains(line, "Begin ") && !text::contains(line, "Public WithEvents ") &&
        !text::contains(line, "Private WithEvents "))
        return;
    if (!line.empty() && line.back() == ' ') line.pop_back();
    const std::size_t lastSpace = text::rfind(line, " ");
    if (lastSpace == text::npos) return;
    const std::string_view name = std::string_view(line).substr(lastSpace + 1);
    // A line that ended in two spaces leaves nothing after the last one; an empty row would
    // turn every name of the module away.
    if (name.empty()) return;
    appendOnce(objects, name);
}

void recordEventSource(std::string_view statement, std::vector<Bytes>& objects) {
    static constexpr std::array<std::string_view, 4> kSources{
        "Private WithEvents ", "Public WithEvents ", "Dim WithEvents ", "Implements "};
    const std::size_t start = statement.find_first_not_of(' ');
    if (start == std::string_view::npos) return;
    statement.remove_prefix(start);
    for (std::string_view source : kSources) {
        if (!text::startsWith(statement, source)) continue;
        std::string_view name = leadingName(statement.substr(source.size()));
        // An interface may be named with its library (Implements Lib.IFace); its members are
        // implemented as IFace_Member. A "." is never a trail byte.
        if (source == "Implements ") name.remove_prefix(name.rfind('.') + 1);
        if (!name.empty()) appendOnce(objects, Bytes(name) + "_");
        return;
    }
}

}  // namespace scourvane
