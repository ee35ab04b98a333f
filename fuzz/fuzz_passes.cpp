// The Dim and private passes on one module's bytes, both ways of counting: the same result, and
// every line of it is the line it was, with unused markers put in front and nothing else changed.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "base/context.h"
#include "base/session.h"
#include "base/window.h"
#include "code_page_932.h"
#include "text/lines.h"
#include "usage/local_variables.h"
#include "usage/marking.h"
#include "usage/private_pass.h"

using namespace scourvane;

namespace {

// out is some number of markers followed by in.
bool onlyMarked(std::string_view out, std::string_view in, std::string_view marker) {
    while (out.size() > in.size() && out.substr(0, marker.size()) == marker)
        out.remove_prefix(marker.size());
    return out == in;
}

void checkLines(const std::string& before, const std::string& after, const Bytes& marker) {
    const std::vector<Bytes> a = text::splitLines(before), b = text::splitLines(after);
    if (a.size() != b.size()) std::abort();
    for (std::size_t i = 0; i < a.size(); ++i)
        if (!onlyMarked(b[i], a[i], marker)) std::abort();
}

Bytes twoPasses(const std::string& content, Counting counting) {
    Session session;
    session.counting = counting;
    QuietWindow window;
    RunContext ctx(session, window);
    PassEnv locals(ctx, "M.bas");
    const Bytes afterLocals = markUnusedLocals(locals, content);
    checkLines(content, afterLocals, locals.marker());
    PassEnv privates(ctx, "M.bas");
    const Bytes afterPrivates = markUnusedPrivates(privates, afterLocals);
    checkLines(afterLocals, afterPrivates, privates.marker());
    return afterPrivates;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string content(reinterpret_cast<const char*>(data), size);
    if (twoPasses(content, Counting::Indexed) != twoPasses(content, Counting::Plain)) std::abort();
    return 0;
}
