#include "usage/private_pass.h"

#include "base/guard.h"
#include "intake/file_ops.h"
#include "text/lines.h"
#include "usage/marking.h"

namespace scourvane {

void checkPrivate(PassEnv& env, Rows& rows, const std::vector<bool>* holdsScope) {
    env.setProgress(0);
    env.learnModule(rows.views());
    std::vector<Bytes> names;
    std::vector<std::size_t> index;
    if (holdsScope && holdsScope->size() != rows.size()) holdsScope = nullptr;
    for (std::size_t r = 0; r < rows.size(); ++r) {
        if (holdsScope && !(*holdsScope)[r]) continue;
        Bytes name = env.declaredAt(rows.views(), r, "Private");
        if (name.empty()) continue;
        env.bump(CounterId::Private);
        if (env.kept(rows.views(), r, name)) continue;
        names.push_back(std::move(name));
        index.push_back(r);
    }
    if (!names.empty()) {
        // All counting ends before any marking begins: a call from a block marked below
        // still counts.
        std::vector<std::int64_t> counts(names.size(), 0);
        env.uses().addUses(
            names, rows.views(), counts, [&](std::size_t) { env.yield(); }, env.rowTokens());
        for (std::size_t k = 0; k < names.size(); ++k) {
            if (counts[k] < 2) {
                env.bump(CounterId::UnusedPrivate);
                const Bytes declaration(rows[index[k]]);
                const std::size_t last =
                    markDeclaration(rows, index[k], kPrivateBlockPrefixes, env.marker());
                env.found(Rule::UnusedPrivate, names[k], index[k], last, declaration);
            }
            env.yield();
            env.progress(static_cast<std::int64_t>(names.size()), static_cast<std::int64_t>(k));
        }
    }
    env.setProgress(0);
}

Bytes markUnusedPrivates(PassEnv& env, std::string_view content, Rows* rowsOut) {
    Rows rows = readRows(env, content);
    const std::vector<bool> holdsScope = rows.holding("Private");
    // A failed check has shown its error box; the rows as they stand keep every line.
    guarded(env.window(), [&] { checkPrivate(env, rows, &holdsScope); });
    // No line break after the last line, unless that line is empty: without one the empty
    // line would not be read back, and the module would lose it. So the text reads back as
    // these rows. The safe rules end it as every other pass does, so that a module the private
    // and public passes leave alone is not written twice to take the break off and put it back.
    const bool lastBreak = env.safe() || (!rows.empty() && rows.back().empty());
    Bytes text = rows.joined(lastBreak);
    if (rowsOut) *rowsOut = std::move(rows);
    return text;
}

void privatePass(RunContext& ctx, const Bytes& name) {
    const fs::path file = ctx.moduleFile(name);
    const std::string content = files::readAll(file);
    PassEnv env(ctx, name);
    const Bytes text = markUnusedPrivates(env, content);
    if (writesBack(ctx.session().rules, content, text)) files::writeAll(file, text);
    env.commitFindings();
}

}  // namespace scourvane
