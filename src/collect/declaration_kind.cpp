#include "collect/declaration_kind.h"

namespace scourvane {

// Not built yet.
Bytes declaredName(std::string_view, std::string_view, const std::vector<Bytes>&, bool) {
    return {};
}
bool isObjectName(std::string_view, const std::vector<Bytes>&) { return false; }
bool isStandardModuleName(std::string_view) { return true; }

}  // namespace scourvane
