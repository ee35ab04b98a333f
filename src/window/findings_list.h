#pragma once
// The findings of the runs since a project was opened, as the review view lists them: one row
// per finding (module file, line, kind, name, what the run did, which run found it), sorted by
// any column and filtered by a text and a kind, with the code around each finding as its
// working copy holds it now. No toolkit: a view draws the rows it is given.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/findings.h"
#include "report/report_data.h"

namespace scourvane::window {

enum class FindingColumn { File, Line, Kind, Name, Action, Run };
inline constexpr int kFindingColumns = 6;

struct FindingRow {
    std::size_t finding = 0;  // its place in the report data's findings
    std::string file;         // the module's file, relative to the working copy (UTF-8)
    std::int64_t line = 0, lastLine = 0;
    Rule rule = Rule::UnusedDim;
    std::string kind;       // the rule's Japanese name
    std::string name;       // the declared name (UTF-8)
    std::string action;     // "コメントにした" or "Private にした"
    int run = 1;
    std::string keepEntry;  // "Module.Name", as a keep file names it
    bool kept = false;      // a keep file holds keepEntry now
    // The cell of a column, as shown.
    std::string cell(FindingColumn column) const;
};

class FindingsList {
  public:
    // The rows of every finding of `data`, in the order found; sorting and filter kept.
    void load(const report::ReportData& data);
    const std::vector<FindingRow>& rows() const { return rows_; }
    // The rows shown, in the order shown: indices into rows().
    const std::vector<std::size_t>& shown() const { return shown_; }

    // Sorts by a column (ties in the order found); the same column again reverses it.
    void sortBy(FindingColumn column);
    FindingColumn sortColumn() const { return column_; }
    bool ascending() const { return ascending_; }
    // Only rows whose file, name, kind or action holds `text` (ASCII letters in either case),
    // and of `rule` when given.
    void setFilter(std::string text, std::optional<Rule> rule);

    // Marks the rows whose keep entry is among `entries` (ignoring ASCII case) as kept, or not.
    void setKept(const std::vector<std::string>& entries, bool kept);

  private:
    void arrange();

    std::vector<FindingRow> rows_;
    std::vector<std::size_t> shown_;
    FindingColumn column_ = FindingColumn::File;
    bool ascending_ = true;
    bool sorted_ = false;
    std::string filter_;
    std::optional<Rule> rule_;
};

// A line of a module as the working copy holds it, for the code shown beside the list.
struct CodeLine {
    std::int64_t number = 0;  // 1-based
    std::string text;         // UTF-8, decoded in the report's code page
    bool marked = false;      // it begins with the unused marker
    bool finding = false;     // one of the finding's own lines
};

// The finding's lines with `context` lines before and after, read now from its working copy;
// empty when the file cannot be read.
std::vector<CodeLine> codeAround(const report::ReportData& data, const Finding& finding,
                                 int context = 3);

}  // namespace scourvane::window
