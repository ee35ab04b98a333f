#pragma once
// What a pass's transform works with besides its lines: the counters (each change shown in its
// label), the module's object names for the declaration recogniser, the unused marker, the way
// uses are counted, and the window's yield and progress bar. No files: reading and writing stay
// in the pass itself.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "base/context.h"
#include "collect/declaration_kind.h"
#include "usage/rows.h"
#include "usage/use_counter.h"

namespace scourvane {

class RowTokens;

class PassEnv {
  public:
    // Counts uses the way the session asks for (indexed or plain).
    PassEnv(RunContext& ctx, const Bytes& moduleName);

    Window& window() { return ctx_.window(); }
    void bump(CounterId id, std::int32_t delta = 1) { ctx_.bump(id, delta); }
    static constexpr std::size_t kNoRow = static_cast<std::size_t>(-1);
    // The name `line` declares with `scope` ("Dim", "Private", "Public"), or empty when it
    // declares none or the name is not judged. `row`: the line's place among the rows found()
    // is given, when it is one of them (its tokens made ahead may then be used).
    Bytes declared(std::string_view line, std::string_view scope, std::size_t row = kNoRow) const;
    // The same for rows[row]; under the safe rules, a Sub, Function, Property or Type whose end
    // line does not come before the next header or the end of the rows is not judged either:
    // marking it would leave a block without its end, or take in the next one.
    Bytes declaredAt(std::span<const std::string_view> rows, std::size_t row,
                     std::string_view scope) const;
    // Whether the user keeps the declaration of `name` in rows[row]: a keep comment on its line
    // or alone on the line above, or the run's keep files. A kept declaration is counted as
    // declared and never judged.
    bool kept(std::span<const std::string_view> rows, std::size_t row, const Bytes& name) const;
    const Bytes& marker() const { return marker_; }
    // How the lines that use a name are counted; for Public names, under the safe rules, a
    // string literal holding the name counts too.
    const UseCounter& uses() const { return uses_; }
    const UseCounter& publicUses() const { return safe_ ? safeUseCounter(true) : uses_; }
    bool indexed() const { return &uses_ != &plainUseCounter(); }
    bool safe() const { return safe_; }
    // Under the safe rules, notes what the module's lines say of its members that is needed to
    // judge them (their Attribute lines). Nothing under the default rules.
    void learnModule(std::span<const std::string_view> rows);
    // Unwinds with Closing when the program is closing.
    void yield() { ctx_.yield(); }
    void progress(std::int64_t total, std::int64_t done) { ctx_.progress(total, done); }
    void setProgress(int value) { ctx_.setProgress(value); }

    // Rows given to found() are counted from this line of the module (0 for the first).
    void setFirstLine(std::size_t line) { firstLine_ = line; }
    std::size_t firstLine() const { return firstLine_; }
    // Under the safe rules, the module's rows tokenised ahead (see RowTokens), or none.
    void setRowTokens(const RowTokens* tokens) { rowTokens_ = tokens; }
    const RowTokens* rowTokens() const { return safe_ ? rowTokens_ : nullptr; }
    // A decision: `rule` for `name`, declared in rows[first], marking rows first to last;
    // `declaration` is that row as it was judged. Kept until the pass has written its file.
    void found(Rule rule, const Bytes& name, std::size_t first, std::size_t last,
               std::string_view declaration);
    std::vector<Finding> takeFindings() { return std::move(findings_); }
    // Hands the findings to the run once the pass's file is written.
    void commitFindings() { ctx_.addFindings(takeFindings()); }

  private:
    // The object table upper-cased, made again only when the table or the code page changed.
    const UpperObjectNames& upperObjects() const;
    // Under the safe rules: whether the declaration is one that is never judged.
    bool unjudged(std::string_view line, std::string_view scope, const Bytes& name,
                  std::size_t row) const;

    RunContext& ctx_;
    Bytes moduleName_;
    bool safe_;
    bool classLike_;
    bool form_;
    bool standardModule_;
    std::unordered_set<std::string> defaultMembers_;  // keys with a VB_UserMemId attribute
    Bytes marker_;
    const UseCounter& uses_;
    std::size_t firstLine_ = 0;
    const RowTokens* rowTokens_ = nullptr;
    mutable std::vector<Bytes> objectsSeen_;
    mutable UpperObjectNames upperObjects_;
    mutable int objectsCodePage_ = 0;
    std::vector<Finding> findings_;
};

// The lines of a file's content, with the bytes consumed up to the end of each (terminator
// included), which the reading loops show as their progress.
struct ReadLines {
    std::vector<std::string_view> rows;  // views of the content
    std::vector<std::size_t> ends;
};
ReadLines splitWithEnds(std::string_view content);

// The reading loop of the private and public passes: every line of `content`, with a yield and
// a progress step after each.
Rows readRows(PassEnv& env, std::string_view content);

}  // namespace scourvane
