#include "usage/local_variables.h"

#include "base/guard.h"
#include "intake/file_ops.h"
#include "text/lines.h"
#include "usage/occurrence.h"
#include "usage/procedure_bounds.h"

namespace scourvane {

void checkProcedure(PassEnv& env, std::vector<Bytes>& rows) {
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const Bytes name = env.declared(rows[i], "Dim");
        if (name.empty()) continue;
        env.bump(CounterId::Dim);
        // Rows as they stand now: a row marked earlier in this check uses no name any more.
        int hits = 0;
        for (std::size_t j = 0; j < rows.size() && hits < 2; ++j)
            if (usesName(rows[j], name)) ++hits;
        if (hits >= 2) continue;
        env.bump(CounterId::UnusedDim);
        rows[i].insert(0, env.marker());
    }
}

Bytes markUnusedLocals(PassEnv& env, std::string_view content) {
    const auto total = static_cast<std::int64_t>(content.size());
    env.setProgress(0);
    Bytes out;
    out.reserve(content.size() + content.size() / 8);
    text::LineReader reader(content);
    while (!reader.atEnd()) {
        std::string_view line = reader.readLine();
        if (procedureHeaderName(line).empty()) {
            out += line;
            out += text::kLineBreak;
        } else {
            // The header line is not given to the end test; a procedure without an end line
            // takes every line up to the end of the module.
            std::vector<Bytes> rows{Bytes(line)};
            while (!reader.atEnd()) {
                rows.emplace_back(reader.readLine());
                if (isProcedureEnd(rows.back())) break;
            }
            // A failed check has shown its error box; the rows as they stand keep every line.
            guarded(env.window(), [&] { checkProcedure(env, rows); });
            out += text::joinLines(rows);
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
    files::writeAll(file, markUnusedLocals(env, content));
}

}  // namespace scourvane
