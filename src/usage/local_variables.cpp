#include "usage/local_variables.h"

#include <span>

#include "base/guard.h"
#include "intake/file_ops.h"
#include "text/lines.h"
#include "text/search.h"
#include "index/name_words.h"
#include "rules/occurrence.h"
#include "usage/procedure_bounds.h"
#include "index/safe_names.h"

namespace scourvane {

namespace {

// Rows that use the name as they stand now (given as they were, those in `marked` marked
// since), counted up to two.
int plainHits(std::span<const std::string_view> rows, const std::vector<bool>& marked,
              std::string_view name, std::string_view marker) {
    int hits = 0;
    std::string markedRow;
    for (std::size_t j = 0; j < rows.size() && hits < 2; ++j) {
        std::string_view row = rows[j];
        if (marked[j]) {
            markedRow.assign(marker);
            markedRow += row;
            row = markedRow;
        }
        if (usesName(row, name)) ++hits;
    }
    return hits;
}

// Every pair of a row and a Dim name through the occurrence test: the reference. The rows are
// read as they were; `marked` says which the check marks.
void checkProcedurePlain(PassEnv& env, std::span<const std::string_view> rows,
                         std::vector<bool>& marked) {
    // Keeps are read off the rows before any is marked: a marked row is a comment, and would
    // read as a keep comment alone if its code held the keep word.
    std::vector<bool> kept(rows.size(), false);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const Bytes name = env.declared(rows[i], "Dim");
        if (!name.empty()) kept[i] = env.kept(rows, i, name);
    }
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const Bytes name = env.declared(rows[i], "Dim");
        if (name.empty()) continue;
        env.bump(CounterId::Dim);
        if (kept[i]) continue;
        // Rows as they stand now: a row marked earlier in this check uses no name any more.
        if (plainHits(rows, marked, name, env.marker()) >= 2) continue;
        env.bump(CounterId::UnusedDim);
        env.found(Rule::UnusedDim, name, i, i, rows[i]);
        marked[i] = true;
    }
}

// The same decisions from one scan of the rows. A row changes only when the check marks it,
// and a marked row (it begins with an apostrophe) uses no plain name: the rows that use a name
// now are those that used it before the check, less the rows marked since. `Lookup` is
// NameWords, or SafeNames under the safe rules (where a marked row, a comment, uses nothing).
// The rows are read as they were; `marked` says which the check marks.
template <class Lookup>
void checkProcedureIndexed(PassEnv& env, std::span<const std::string_view> rows,
                           std::vector<bool>& marked) {
    std::vector<Bytes> names;
    std::vector<std::size_t> at;
    std::vector<bool> kept;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        Bytes name = env.declared(rows[i], "Dim", i);
        if (name.empty()) continue;
        kept.push_back(env.kept(rows, i, name));
        names.push_back(std::move(name));
        at.push_back(i);
    }
    if (names.empty()) return;

    Lookup lookup = [&] {
        if constexpr (std::is_same_v<Lookup, SafeNames>)
            return SafeNames(names, SafeNames::Tokens::Identifiers);
        else
            return NameWords(names);
    }();
    // At most names.size() rows get marked, so that many rows more than two is as good as all.
    const std::size_t enough = names.size() + 2;
    std::vector<std::vector<std::size_t>> users(lookup.groups());
    auto user = [&](std::size_t j) {
        return [&users, enough, j](std::uint32_t g) {
            if (users[g].size() < enough) users[g].push_back(j);
        };
    };
    if constexpr (std::is_same_v<Lookup, SafeNames>) {
        lookup.useRowTokens(env.rowTokens(), env.firstLine());
        for (std::size_t j = 0; j < rows.size(); ++j) lookup.forEachUseAt(j, rows[j], user(j));
    } else {
        for (std::size_t j = 0; j < rows.size(); ++j) lookup.forEachUse(rows[j], user(j));
    }
    std::vector<std::uint32_t> groupOf(names.size(), WordIds::kNone);
    for (std::uint32_t g = 0; g < lookup.groups(); ++g)
        for (std::size_t k : lookup.members(g)) groupOf[k] = g;

    for (std::size_t k = 0; k < names.size(); ++k) {
        env.bump(CounterId::Dim);
        if (kept[k]) continue;
        int hits = 0;
        if (groupOf[k] == WordIds::kNone) {
            hits = plainHits(rows, marked, names[k], env.marker());
        } else {
            for (std::size_t j : users[groupOf[k]])
                if (!marked[j] && ++hits == 2) break;
        }
        if (hits >= 2) continue;
        env.bump(CounterId::UnusedDim);
        env.found(Rule::UnusedDim, names[k], at[k], at[k], rows[at[k]]);
        marked[at[k]] = true;
    }
}

}  // namespace

void checkProcedure(PassEnv& env, std::span<const std::string_view> rows,
                    std::vector<bool>& marked) {
    if (env.safe())
        checkProcedureIndexed<SafeNames>(env, rows, marked);
    else if (env.indexed())
        checkProcedureIndexed<NameWords>(env, rows, marked);
    else
        checkProcedurePlain(env, rows, marked);
}

Bytes markUnusedLocals(PassEnv& env, std::string_view content) {
    const auto total = static_cast<std::int64_t>(content.size());
    env.setProgress(0);
    Bytes out;
    out.reserve(content.size() + content.size() / 8);
    text::LineReader reader(content);
    // The words the tests below need, found ahead in the text: most lines hold none of them.
    text::ForwardSearch subs(content, "Sub"), functions(content, "Function"),
        properties(content, "Property"), dims(content, "Dim"), ends(content, "End ");
    auto mayBeHeader = [&](std::string_view line) {
        return subs.holds(line) || functions.holds(line) || properties.holds(line);
    };
    std::size_t lines = 0;
    while (!reader.atEnd()) {
        std::string_view line = reader.readLine();
        if (!mayBeHeader(line) || procedureHeaderName(line).empty()) {
            out += line;
            out += text::kLineBreak;
            ++lines;
        } else {
            // The header line is not given to the end test; a procedure without an end line
            // takes every line up to the end of the module.
            std::vector<std::string_view> views{line};
            bool mayDeclare = dims.holds(line);
            while (!reader.atEnd()) {
                views.push_back(reader.readLine());
                mayDeclare = mayDeclare || dims.holds(views.back());
                if (ends.holds(views.back()) && isProcedureEnd(views.back())) break;
            }
            lines += views.size();
            if (!mayDeclare) {
                // A Dim declaration holds "Dim": the check would find nothing to judge.
                for (std::string_view row : views) {
                    out += row;
                    out += text::kLineBreak;
                }
            } else {
                // Read where they stand, and written out with the marks the check made; a
                // failed check has shown its error box, and its marks so far hold.
                std::vector<bool> marked(views.size(), false);
                env.setFirstLine(lines - views.size());
                guarded(env.window(), [&] { checkProcedure(env, views, marked); });
                for (std::size_t j = 0; j < views.size(); ++j) {
                    if (marked[j]) out += env.marker();
                    out += views[j];
                    out += text::kLineBreak;
                }
            }
        }
        env.yield();
        env.progress(total, static_cast<std::int64_t>(reader.consumed()));
    }
    return out;
}

void localVariablePass(RunContext& ctx, const Bytes& name) {
    const fs::path file = ctx.moduleFile(name);
    const std::string content = files::readAll(file);
    PassEnv env(ctx, name);
    const Bytes text = markUnusedLocals(env, content);
    if (writesBack(ctx.session().rules, content, text)) files::writeAll(file, text);
    env.commitFindings();
}

}  // namespace scourvane
