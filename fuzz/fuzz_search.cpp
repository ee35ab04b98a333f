// The character-aware searches against a walk over the character starts. The first byte picks
// the code page, the second the needle's length; the rest is needle, then haystack.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "text/search.h"

using namespace scourvane::text;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    static const int kPages[] = {932, 936, 949, 950, 1252};
    const CodePage& cp = CodePage::get(kPages[data[0] % 5]);
    const std::size_t needleLength = data[1] % 8 + 1;
    const std::string rest(reinterpret_cast<const char*>(data + 2), size - 2);
    if (rest.size() < needleLength) return 0;
    const std::string needle = rest.substr(0, needleLength);
    const std::string hay = rest.substr(needleLength);

    std::size_t first = npos, last = npos;
    for (std::size_t at = 0; at < hay.size(); at += cp.charLength(hay, at)) {
        if (hay.compare(at, needle.size(), needle) != 0 || at + needle.size() > hay.size())
            continue;
        if (first == npos) first = at;
        last = at;
    }
    if (find(hay, needle, 0, cp) != first) std::abort();
    if (rfind(hay, needle, cp) != last) std::abort();
    if (contains(hay, needle, cp) != (first != npos)) std::abort();
    return 0;
}
