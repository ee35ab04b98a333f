#include "usage/pass_env.h"

#include <algorithm>

#include "collect/declaration_kind.h"
#include "collect/line_zones.h"
#include "index/row_tokens.h"
#include "keep/keeps.h"
#include "text/lines.h"
#include "text/search.h"
#include "rules/identifiers.h"
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

namespace {

const UseCounter& useCounterFor(const Session& session) {
    if (session.rules == RuleSet::Safe) return safeUseCounter(false);
    return session.counting == Counting::Plain ? plainUseCounter() : indexedUseCounter();
}

// Several declarations (a comma outside parentheses), several statements (a colon), or a
// statement continued on the next line: marking the line would comment out more than the
// declaration judged, or leave half a statement.
bool oddShape(std::string_view line, bool opensBlock) {
    // Each shape needs a ":", a "," or a "_" somewhere: most declarations hold none. (A byte
    // loop: find_first_of asks memchr of the set for every byte of the line.)
    if (std::none_of(line.begin(), line.end(),
                     [](char c) { return c == ':' || c == ',' || c == '_'; }))
        return false;
    const std::vector<Zone> zones = lineZones(line);
    std::size_t last = std::string_view::npos;  // the last byte that is neither blank nor comment
    for (std::size_t i = 0; i < line.size() && zones[i] != Zone::Comment; ++i) {
        const char c = line[i];
        if (c == ':' && (zones[i] == Zone::Code || zones[i] == Zone::Nested)) return true;
        if (c == ',' && zones[i] == Zone::Code) return true;
        if (c != ' ' && c != '\t') last = i;
    }
    const bool continued = last != std::string_view::npos && last > 0 && line[last] == '_' &&
                           zones[last] == Zone::Code &&
                           (line[last - 1] == ' ' || line[last - 1] == '\t');
    return continued && !opensBlock;
}

bool opensBlock(std::string_view line) {
    return beginsWithAny(line, kPrivateBlockPrefixes) || beginsWithAny(line, kPublicBlockPrefixes);
}

}  // namespace

PassEnv::PassEnv(RunContext& ctx, const Bytes& moduleName)
    : ctx_(ctx),
      moduleName_(moduleName),
      safe_(ctx.session().rules == RuleSet::Safe),
      classLike_(isClassLikeModuleName(moduleName)),
      form_(text::endsWith(text::toUpper(moduleName), "FRM")),
      standardModule_(safe_ ? !classLike_ : isStandardModuleName(moduleName)),
      marker_(unusedMarker()),
      uses_(useCounterFor(ctx.session())) {}

const UpperObjectNames& PassEnv::upperObjects() const {
    const int codePage = text::activeCodePage().number();
    // No code page is numbered 0, so the first call always makes the table.
    if (codePage != objectsCodePage_ || ctx_.objects() != objectsSeen_) {
        objectsSeen_ = ctx_.objects();
        objectsCodePage_ = codePage;
        upperObjects_ = upperObjectNames(objectsSeen_);
    }
    return upperObjects_;
}

Bytes PassEnv::declared(std::string_view line, std::string_view scope, std::size_t row) const {
    Bytes name = scopedName(line, scope, standardModule_);
    if (name.empty() || namesAnObject(name, upperObjects())) return {};
    if (safe_ && unjudged(line, scope, name, row)) return {};
    return name;
}

Bytes PassEnv::declaredAt(std::span<const std::string_view> rows, std::size_t row,
                          std::string_view scope) const {
    Bytes name = declared(rows[row], scope, row);
    if (!safe_ || name.empty() || !opensBlock(rows[row])) return name;
    return blockEnd(rows, row) ? name : Bytes();
}

bool PassEnv::kept(std::span<const std::string_view> rows, std::size_t row,
                   const Bytes& name) const {
    const std::shared_ptr<const KeepNames>& names = ctx_.session().keeps;
    // Both asked, so that a keep file's entry is noted as matched even where a comment keeps.
    const bool byName = names && keep::keptByName(*names, moduleName_, name);
    return keep::keptByComment(rows, row, marker_) || byName;
}

bool PassEnv::unjudged(std::string_view line, std::string_view scope, const Bytes& name,
                       std::size_t row) const {
    const text::CodePage& cp = text::activeCodePage();
    const std::string key = identifiers::nameKey(name, cp);
    if (key.empty()) return true;
    if (key == "CLASS_INITIALIZE" || key == "CLASS_TERMINATE" || key.starts_with("USERCONTROL_") ||
        key.starts_with("USERDOCUMENT_"))
        return true;
    if (defaultMembers_.contains(key)) return true;
    // The name must stand in the line's code: a Rem line or a comment declares nothing.
    bool stands = false;
    const RowTokens* tokens = rowTokens();
    if (tokens && row != kNoRow && tokens->same(firstLine_ + row, line)) {
        // The row's tokens made ahead: its code's identifiers are those not from a literal.
        const std::uint32_t word = tokens->words().find(key);
        for (const RowTokens::Token& t : tokens->tokens(firstLine_ + row))
            stands = stands || (!t.literal && t.word == word);
    } else {
        forEachIdentifier(line, cp, false,
                          [&](std::string_view token, bool) { stands |= token == key; });
    }
    if (!stands) return true;
    // Other programs call the Public members of an ActiveX project's classes and controls.
    if (scope == "Public" && classLike_ && !form_ && ctx_.session().calledFromOutside(moduleName_))
        return true;
    return oddShape(line, opensBlock(line));
}

void PassEnv::learnModule(std::span<const std::string_view> rows) {
    if (!safe_) return;
    const text::CodePage& cp = text::activeCodePage();
    for (std::string_view line : rows) {
        while (!line.empty() && (line.front() == ' ' || line.front() == '\t'))
            line.remove_prefix(1);
        constexpr std::string_view kAttribute = "ATTRIBUTE ";
        // Most rows are refused by their first letter, before the comparison.
        if (line.size() < kAttribute.size() || (line[0] | 0x20) != 'a' ||
            text::compareIgnoringCase(line.substr(0, kAttribute.size()), kAttribute, cp) != 0)
            continue;
        line.remove_prefix(kAttribute.size());
        while (!line.empty() && line.front() == ' ') line.remove_prefix(1);
        const std::size_t dot = line.find('.');
        if (dot == std::string_view::npos) continue;
        const std::string attribute = identifiers::folded(line.substr(dot + 1), cp);
        if (attribute.rfind("VB_USERMEMID", 0) == 0 || attribute.rfind("VB_VARUSERMEMID", 0) == 0)
            defaultMembers_.insert(identifiers::nameKey(line.substr(0, dot), cp));
    }
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

Rows readRows(PassEnv& env, std::string_view content) {
    env.setProgress(0);
    Rows rows(content);
    for (std::size_t r = 0; r < rows.size(); ++r) {
        env.yield();
        env.progress(static_cast<std::int64_t>(content.size()),
                     static_cast<std::int64_t>(rows.consumedAfter(r)));
    }
    return rows;
}

}  // namespace scourvane
