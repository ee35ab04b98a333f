#include "collect/name_scan.h"

#include "text/search.h"

namespace scourvane {

std::string_view leadingName(std::string_view rest) {
    std::size_t end = rest.size();
    for (std::string_view stop : {" ", "(", "'"}) {
        std::size_t at = text::find(rest, stop);
        if (at != text::npos && at < end) end = at;
    }
    return rest.substr(0, end);
}

}  // namespace scourvane
