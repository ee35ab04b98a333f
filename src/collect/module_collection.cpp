#include "collect/module_collection.h"

#include <array>

#include "collect/form_objects.h"
#include "collect/keep_comment.h"
#include "collect/normaliser.h"
#include "intake/file_ops.h"
#include "text/lines.h"
#include "text/search.h"

namespace scourvane {

namespace {

bool endsFileHeader(std::string_view line) {
    return text::startsWith(line, "Attribute VB") || text::startsWith(line, "Option Explicit");
}

bool isBlank(std::string_view line) {
    return line.find_first_not_of(' ') == std::string_view::npos;
}

// Leading spaces of a continuation go; a continuation of nothing but spaces keeps them.
std::string_view withoutIndent(std::string_view line) {
    const std::size_t first = line.find_first_not_of(' ');
    return first == std::string_view::npos ? line : line.substr(first);
}

bool consumePrefix(std::string_view& s, std::string_view prefix) {
    if (!text::startsWith(s, prefix)) return false;
    s.remove_prefix(prefix.size());
    return true;
}

}  // namespace

bool isProcedureHeader(std::string_view line) {
    for (std::string_view scope : {"Private ", "Public ", "Friend "})
        if (consumePrefix(line, scope)) break;
    consumePrefix(line, "Static ");
    for (std::string_view kind : {"Sub ", "Function ", "Property "})
        if (text::startsWith(line, kind)) return true;
    return false;
}

void startObjectTable(std::vector<Bytes>& objects, std::string_view moduleName) {
    startObjectTable(objects, moduleName, RuleSet::Spec);
}

void startObjectTable(std::vector<Bytes>& objects, std::string_view moduleName, RuleSet rules) {
    objects.clear();
    const std::string upper = text::toUpper(moduleName);
    if (text::endsWith(upper, "CLS")) objects.emplace_back("Class");
    if (text::endsWith(upper, "FRM")) objects.emplace_back("Form");
    if (rules != RuleSet::Safe) return;
    if (text::endsWith(upper, "CTL")) objects.emplace_back("UserControl");
    if (text::endsWith(upper, "PAG")) objects.emplace_back("PropertyPage");
    if (text::endsWith(upper, "DOB")) objects.emplace_back("UserDocument");
}

Bytes collectModuleText(std::string_view content, std::vector<Bytes>& objects,
                        const LineProgress& afterLine, std::vector<std::uint32_t>* sourceRows) {
    Bytes out;
    out.reserve(content.size() + content.size() / 8 + 2);
    text::LineReader reader(content);
    bool header = true;
    bool declarations = true;
    std::uint32_t row = 0;  // of `content`, the one read last
    std::string_view read;  // that row as it stands

    // A row is its source row when it is that row's very bytes.
    auto emit = [&](std::string_view emitted) {
        out += emitted;
        out += text::kLineBreak;
        if (sourceRows)
            sourceRows->push_back(emitted.data() == read.data() && emitted.size() == read.size()
                                      ? row - 1
                                      : kNoSourceRow);
    };
    auto readLine = [&] {
        read = reader.readLine();
        ++row;
        return read;
    };

    std::string joined;      // a continued line, joined
    bool keepAbove = false;  // the code line before was a keep comment alone
    // A keep word holds a colon, which most lines lack: found ahead in the text.
    text::ForwardSearch colons(content, ":");
    while (!reader.atEnd()) {
        std::string_view line = readLine();
        if (header && endsFileHeader(line)) header = false;

        if (header) {
            std::string headerLine(line);
            formObjectStep(headerLine, objects);
            emit(headerLine == line ? line : std::string_view(headerLine));
        } else if (isBlank(line)) {
            emit(line);
            keepAbove = false;
        } else {
            if (text::endsWith(line, " _")) {
                joined.assign(line);
                while (text::endsWith(joined, " _")) {
                    joined.pop_back();
                    if (reader.atEnd()) break;
                    joined += withoutIndent(readLine());
                }
                line = joined;
            }
            if (declarations && isProcedureHeader(line)) declarations = false;
            // After the declarations only a split changes a line, and a split needs ", ".
            if (!mayNeedNormalising(line) ||
                (!declarations && !text::containsBytes(line, ", "))) {
                if (declarations) recordEventSource(line, objects);
                emit(line);
            } else {
                // A declaration the user keeps stays one line, so that the keep holds for
                // every name it declares.
                const bool kept = keepAbove || holdsKeepComment(line);
                const std::vector<Bytes> statements =
                    normaliseStatements(line, declarations, !kept);
                for (const Bytes& statement : statements) {
                    if (declarations) recordEventSource(statement, objects);
                    emit(statements.size() == 1 && statement == line ? line
                                                                     : std::string_view(statement));
                }
            }
            keepAbove = colons.holds(line) && isKeepCommentLine(line);
        }
        if (afterLine) afterLine(reader.consumed());
    }
    return out;
}

void collectModule(RunContext& ctx, const Bytes& name) {
    const fs::path file = ctx.moduleFile(name);
    const std::int64_t total = files::fileSize(file);
    ctx.setProgress(0);
    startObjectTable(ctx.objects(), name, ctx.session().rules);
    const std::string content = files::readAll(file);
    const Bytes rewritten = collectModuleText(content, ctx.objects(), [&](std::size_t consumed) {
        ctx.yield();
        ctx.progress(total, static_cast<std::int64_t>(consumed));
    });
    if (writesBack(ctx.session().rules, content, rewritten)) files::writeAll(file, rewritten);
    ctx.setProgress(0);
}

}  // namespace scourvane
