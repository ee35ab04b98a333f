#include "usage/public_pass.h"

#include "base/guard.h"
#include "intake/file_ops.h"
#include "text/convert.h"
#include "text/lines.h"
#include "usage/marking.h"
#include "usage/other_modules.h"
#include "index/safe_names.h"

namespace scourvane {

PublicDeclarations collectPublic(PassEnv& env, std::span<const std::string_view> rows,
                                 const std::vector<bool>* holdsScope) {
    env.setProgress(0);
    env.learnModule(rows);
    PublicDeclarations decls;
    if (holdsScope && holdsScope->size() != rows.size()) holdsScope = nullptr;
    for (std::size_t r = 0; r < rows.size(); ++r) {
        if (holdsScope && !(*holdsScope)[r]) continue;
        Bytes name = env.declaredAt(rows, r, "Public");
        if (name.empty()) continue;
        env.bump(CounterId::Public);
        if (env.kept(rows, r, name)) continue;
        decls.names.push_back(std::move(name));
        decls.index.push_back(r);
    }
    decls.own.assign(decls.names.size(), 0);
    decls.others.assign(decls.names.size(), 0);
    decls.namedInString.assign(decls.names.size(), 0);
    if (decls.names.empty()) return decls;
    if (!env.safe()) {
        env.publicUses().addUses(decls.names, rows, decls.own, [&](std::size_t) { env.yield(); });
        return decls;
    }
    // The safe rules' count (an identifier or a whole string literal) and the names a string
    // holds, in one reading of the rows.
    SafeNames names(decls.names, SafeNames::Tokens::Both);
    names.useRowTokens(env.rowTokens(), 0);
    for (std::size_t r = 0; r < rows.size(); ++r) {
        names.forEachUseAt(
            r, rows[r],
            [&](std::uint32_t g) {
                for (std::size_t k : names.members(g)) ++decls.own[k];
            },
            [&](std::uint32_t g) {
                for (std::size_t k : names.members(g)) decls.namedInString[k] = 1;
            });
        env.yield();
    }
    return decls;
}

void countOtherModule(PassEnv& env, PublicDeclarations& decls, std::string_view content) {
    const ReadLines lines = splitWithEnds(content);
    const auto total = static_cast<std::int64_t>(content.size());
    env.publicUses().addUses(decls.names, lines.rows, decls.others, [&](std::size_t i) {
        env.yield();
        env.progress(total, static_cast<std::int64_t>(lines.ends[i]));
    });
}

void decidePublic(PassEnv& env, Rows& rows, const PublicDeclarations& decls) {
    env.setProgress(0);
    const auto count = static_cast<std::int64_t>(decls.names.size());
    for (std::size_t i = 0; i < decls.names.size(); ++i) {
        const std::int64_t n = decls.others[i], s = decls.own[i];
        const std::size_t k = decls.index[i];
        const bool named = i < decls.namedInString.size() && decls.namedInString[i];
        if (n < 1 && s > 1 && !named) {
            env.found(Rule::PublicToPrivate, decls.names[i], k, k, rows[k]);
            rows.set(k, demotedBehindMarkers(rows[k], env.marker()));
            env.bump(CounterId::Private);
            env.bump(CounterId::Public, -1);
        }
        if (n < 1 && s < 2) {
            env.bump(CounterId::UnusedPublic);
            const Bytes declaration(rows[k]);
            const std::size_t last = markDeclaration(rows, k, kPublicBlockPrefixes, env.marker());
            env.found(Rule::UnusedPublic, decls.names[i], k, last, declaration);
        }
        env.yield();
        env.progress(count, static_cast<std::int64_t>(i));
    }
}

namespace {

// The count in the other modules, the decisions, and the write-back; returns the file's text
// now. `before` is the file's text as the pass found it.
Bytes judgeAndWrite(RunContext& ctx, PassEnv& env, const fs::path& file, const Bytes& name,
                    OtherModules& others, Rows& rows, PublicDeclarations& decls,
                    std::string_view before, bool judge) {
    if (judge && !decls.names.empty()) {
        others.count(env, decls, name);
        decidePublic(env, rows, decls);
    }
    Bytes written = rows.joined();
    if (writesBack(ctx.session().rules, before, written)) files::writeAll(file, written);
    env.commitFindings();
    return written;
}

}  // namespace

Bytes publicPass(RunContext& ctx, const Bytes& name, OtherModules& others, bool judge) {
    const fs::path file = ctx.moduleFile(name);
    const std::string content = files::readAll(file);
    PassEnv env(ctx, name);
    Rows rows = readRows(env, content);

    // A failed collection has shown its error box and left `decls` empty. Its counts would be
    // partial, and a partial count could mark a declaration that is used: judge nothing, but
    // still write the rows.
    PublicDeclarations decls;
    const std::vector<bool> holdsScope = rows.holding("Public");
    guarded(env.window(), [&] { decls = collectPublic(env, rows.views(), &holdsScope); });
    return judgeAndWrite(ctx, env, file, name, others, rows, decls, content, judge);
}

Bytes publicPassCollected(RunContext& ctx, const Bytes& name, OtherModules& others, Rows& rows,
                          PublicDeclarations& decls, std::string_view before, bool judge) {
    const fs::path file = ctx.moduleFile(name);
    PassEnv env(ctx, name);
    return judgeAndWrite(ctx, env, file, name, others, rows, decls, before, judge);
}

void publicPass(RunContext& ctx, const Bytes& name) {
    const std::unique_ptr<OtherModules> others = otherModules(ctx);
    publicPass(ctx, name, *others);
}

}  // namespace scourvane
