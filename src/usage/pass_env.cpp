#include "usage/pass_env.h"

#include "collect/declaration_kind.h"
#include "text/lines.h"
#include "usage/marking.h"

namespace scourvane {

void PassEnv::found(Rule rule, const Bytes& name, std::size_t first, std::size_t last,
                    std::string_view declaration) {
    Finding f;
    f.rule = rule;
    f.name = name;
    f.kind = declarationKindOf(declaration, marker_);
    f.firstLine = static_cast<std::int64_t>(firstLine_ + first + 1);
    f.lastLine = static_cast<std::int64_t>(firstLine_ + last + 1);
    f.text = Bytes(declaration);
    findings_.push_back(std::move(f));
}

PassEnv::PassEnv(RunContext& ctx, const Bytes& moduleName)
    : ctx_(ctx),
      standardModule_(isStandardModuleName(moduleName)),
      marker_(unusedMarker()),
      uses_(ctx.session().counting == Counting::Plain ? plainUseCounter() : indexedUseCounter()) {}

Bytes PassEnv::declared(std::string_view line, std::string_view scope) const {
    return declaredName(line, scope, ctx_.objects(), standardModule_);
}

ReadLines splitWithEnds(std::string_view content) {
    ReadLines out;
    text::LineReader reader(content);
    while (!reader.atEnd()) {
        out.rows.emplace_back(reader.readLine());
        out.ends.push_back(reader.consumed());
    }
    return out;
}

std::vector<Bytes> readRows(PassEnv& env, std::string_view content) {
    env.setProgress(0);
    std::vector<Bytes> rows;
    text::LineReader reader(content);
    while (!reader.atEnd()) {
        rows.emplace_back(reader.readLine());
        env.yield();
        env.progress(static_cast<std::int64_t>(content.size()),
                     static_cast<std::int64_t>(reader.consumed()));
    }
    return rows;
}

}  // namespace scourvane
