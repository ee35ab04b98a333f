#pragma once
// The occurrence test: does one physical line use a name? Plain text matching on the line as
// the file holds it; a pass counts lines, never occurrences within a line.
#include <string_view>

namespace scourvane {

// True when `line` uses `name`: the line holds no "_Error", no apostrophe stands before the
// first occurrence of the name, and somewhere in the padded line the name stands between an
// accepted pair of boundary characters. An empty name is used by no line.
bool usesName(std::string_view line, std::string_view name);

// True when (before, after) is one of the 15 accepted boundary pairs around a name.
inline bool isAcceptedBoundary(char before, char after) {
    switch (before) {
        case ' ':
            return after == ' ' || after == '(' || after == ')' || after == '.' || after == ',';
        case '(':
        case '.':
            return after == ' ' || after == ')' || after == '.' || after == ',';
        case ',':
            return after == ' ' || after == '.';
        default:
            return false;
    }
}

}  // namespace scourvane
