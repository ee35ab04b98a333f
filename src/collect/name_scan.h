#pragma once
// The name at the start of a text: everything before the first space, "(" or "'". Shared by the
// recogniser and by the recording of event sources so that both cut a name the same way.
#include <string_view>

namespace scourvane {

// The leading name of `rest` (the whole text when none of the three characters occurs). The
// search is character-aware: a trail byte never ends a name.
std::string_view leadingName(std::string_view rest);

}  // namespace scourvane
