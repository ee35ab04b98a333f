// The three passes on one module's bytes, under both rule sets and both ways of counting: the
// same result for each rule set, and every line of it is the line it was, with unused markers
// put in front or "Public" made "Private", nothing else changed. The public pass counts the rest
// of the input as one other module.
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
#include "usage/public_pass.h"

using namespace scourvane;

namespace {

std::string_view unmarked(std::string_view line, std::string_view marker) {
    while (line.substr(0, marker.size()) == marker) line.remove_prefix(marker.size());
    return line;
}

// out is some number of markers followed by in, or by in made Private when that is allowed.
bool sameLine(std::string_view out, std::string_view in, std::string_view marker, bool demote) {
    const std::string_view rest = unmarked(out, marker), original = unmarked(in, marker);
    if (out.size() - rest.size() < in.size() - original.size()) return false;  // a marker lost
    return rest == original || (demote && rest == demoted(original));
}

void checkLines(const std::vector<Bytes>& a, const std::vector<Bytes>& b, const Bytes& marker,
                bool demote = false) {
    if (a.size() != b.size()) std::abort();
    for (std::size_t i = 0; i < a.size(); ++i)
        if (!sameLine(b[i], a[i], marker, demote)) std::abort();
}

void checkLines(const std::string& before, const std::string& after, const Bytes& marker) {
    checkLines(text::splitLines(before), text::splitLines(after), marker);
}

Bytes threePasses(const std::string& content, const std::string& other, Counting counting,
                  RuleSet rules) {
    Session session;
    session.counting = counting;
    session.rules = rules;
    QuietWindow window;
    RunContext ctx(session, window);
    PassEnv locals(ctx, "M.bas");
    const Bytes afterLocals = markUnusedLocals(locals, content);
    checkLines(content, afterLocals, locals.marker());
    PassEnv privates(ctx, "M.bas");
    const Bytes afterPrivates = markUnusedPrivates(privates, afterLocals);
    checkLines(afterLocals, afterPrivates, privates.marker());

    PassEnv publics(ctx, "M.bas");
    Rows rows(afterPrivates);
    PublicDeclarations decls = collectPublic(publics, rows.views());
    countOtherModule(publics, decls, other);
    decidePublic(publics, rows, decls);
    const Bytes written = rows.joined();
    checkLines(text::splitLines(afterPrivates), text::splitLines(written), publics.marker(), true);
    return written;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The first byte says where the module ends and the other module begins.
    if (size == 0) return 0;
    const char* bytes = reinterpret_cast<const char*>(data) + 1;
    const std::size_t rest = size - 1, split = rest * data[0] / 255;
    const std::string content(bytes, split), other(bytes + split, rest - split);
    for (RuleSet rules : {RuleSet::Spec, RuleSet::Safe})
        if (threePasses(content, other, Counting::Indexed, rules) !=
            threePasses(content, other, Counting::Plain, rules))
            std::abort();
    return 0;
}
