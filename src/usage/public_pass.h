#pragma once
// The public pass: judges the Public declarations against the whole project.
#include <cstdint>
#include <string_view>
#include <vector>

#include "base/context.h"
#include "usage/pass_env.h"

namespace scourvane {

// The module's Public declarations and their using lines, parallel vectors.
struct PublicDeclarations {
    std::vector<Bytes> names;
    std::vector<std::size_t> index;    // the row that declares the name
    std::vector<std::int64_t> own;     // using lines in the module itself, declaration included
    std::vector<std::int64_t> others;  // using lines in every other module
    // Under the safe rules: a string literal of the module itself holds the name. Such a member
    // is reached by late binding (CallByName Me, "Tick"), which only finds Public members.
    std::vector<char> namedInString;
};

// The public collection: lists the declarations of the rows and counts their uses in the rows.
// `holdsScope`, when given: per row, whether it holds the bytes "Public".
PublicDeclarations collectPublic(PassEnv& env, std::span<const std::string_view> rows,
                                 const std::vector<bool>* holdsScope = nullptr);

// Adds to decls.others the using lines of another module's content, yielding and showing
// progress after each line.
void countOtherModule(PassEnv& env, PublicDeclarations& decls, std::string_view content);

class OtherModules;

// The pass, counting the other modules' uses through `others`. Returns what it wrote. Without
// `judge` the declarations are collected (and counted) but neither looked for elsewhere nor
// decided: the module's text stays as it is.
Bytes publicPass(RunContext& ctx, const Bytes& name, OtherModules& others, bool judge = true);
// The same with the other modules read afresh.
void publicPass(RunContext& ctx, const Bytes& name);
// The pass from its collection made ahead: `rows` are the module's lines as its file holds them,
// `before` the file's text, and `decls` their public collection, its counters already added.
Bytes publicPassCollected(RunContext& ctx, const Bytes& name, OtherModules& others, Rows& rows,
                          PublicDeclarations& decls, std::string_view before, bool judge = true);

// Demotes to Private a declaration only its own module uses, and marks one that no line uses
// beyond its own (a whole block for a Sub, Function, Property or Type in the first column).
void decidePublic(PassEnv& env, Rows& rows, const PublicDeclarations& decls);

}  // namespace scourvane
