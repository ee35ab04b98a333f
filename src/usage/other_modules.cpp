#include "usage/other_modules.h"

#include <algorithm>
#include <unordered_map>

#include "base/paths.h"
#include "base/progress.h"
#include "base/run_error.h"
#include "intake/file_ops.h"
#include "text/convert.h"
#include "text/lines.h"
#include "text/search.h"
#include "index/file_words.h"
#include "rules/identifiers.h"
#include "rules/occurrence.h"
#include "usage/public_pass.h"
#include "usage/run_other_modules.h"
#include "index/word_ids.h"
#include "index/word_prefetch.h"
#include "index/words.h"

namespace scourvane {

namespace {

// For a run that judges no Public declaration: nothing is read or indexed, but the passes
// prepared ahead still learn when the file they were prepared from has changed (rows that name
// one file share its generation). Asked to count after all, it counts every name as used
// elsewhere, so that nothing is judged on a count it never made.
class UncountedOtherModules final : public OtherModules {
  public:
    explicit UncountedOtherModules(const std::vector<Bytes>& rows) {
        std::unordered_map<Bytes, std::size_t> slotOf;
        for (const Bytes& row : rows) {
            const auto [it, added] = slotOf.emplace(workingCopyKey(row), generations_.size());
            if (added) generations_.push_back(0);
            slot_.push_back(it->second);
        }
    }

    void count(PassEnv&, PublicDeclarations& decls, const Bytes&) override {
        for (std::int64_t& n : decls.others) ++n;
    }
    void changed(std::size_t row) override { ++generations_[slot_[row]]; }
    void finished(std::size_t, std::optional<Bytes>, std::optional<FileWords>) override {}
    std::uint64_t generation(std::size_t row) const override { return generations_[slot_[row]]; }

  private:
    std::vector<std::size_t> slot_;
    std::vector<std::uint64_t> generations_;
};

class PlainOtherModules final : public OtherModules {
  public:
    explicit PlainOtherModules(RunContext& ctx) : ctx_(ctx) {}

    void count(PassEnv& env, PublicDeclarations& decls, const Bytes& self) override {
        const std::string shownSelf = text::toUtf8(self);
        for (const Bytes& other : ctx_.modules()) {
            if (other == self) continue;
            const std::string content = files::readAll(ctx_.moduleFile(other));
            env.setProgress(0);
            env.window().setStatus(scanningStatus(text::toUtf8(other), shownSelf));
            countOtherModule(env, decls, content);
        }
    }
    void changed(std::size_t) override {}
    void finished(std::size_t, std::optional<Bytes>, std::optional<FileWords>) override {}
    std::uint64_t generation(std::size_t) const override { return 0; }

  private:
    RunContext& ctx_;
};

// Each distinct file of the module table is read once and its words counted: for every word,
// the lines that hold it as a code word. The sums over the files, each weighted by the rows
// that name it, answer every plain name at once. A file is read again, lazily, only after a
// pass has changed it. Comment words (rare hits, see words.h) keep a reference to their line,
// settled with the occurrence test when asked.
class IndexedOtherModules final : public OtherModules {
  public:
    explicit IndexedOtherModules(RunContext& ctx)
        : ctx_(ctx),
          safe_(ctx.session().rules == RuleSet::Safe),
          rows_(ctx.modules()),
          prefetch_(safe_, ctx.session().intakeWords.get()) {
        std::unordered_map<Bytes, std::uint32_t> slotOf;
        for (const Bytes& row : rows_) {
            const auto [it, added] =
                slotOf.emplace(workingCopyKey(row), static_cast<std::uint32_t>(files_.size()));
            if (added) files_.emplace_back().firstRow = rowFile_.size();
            File& file = files_[it->second];
            ++file.rows;
            file.spelledAlike = file.spelledAlike && rows_[file.firstRow] == row;
            rowFile_.push_back(it->second);
            if (added) prefetch(it->second, row);
            // Every public pass shows every other row: decode the names once.
            shownRows_.push_back(text::toUtf8(row));
        }
    }

    void count(PassEnv& env, PublicDeclarations& decls, const Bytes& self) override {
        const std::string shownSelf = text::toUtf8(self);
        prefetch_.help(scratch_);
        for (std::size_t r = 0; r < rows_.size(); ++r) {
            if (rows_[r] == self) continue;
            if (!files_[rowFile_[r]].loaded) obtain(rowFile_[r], rows_[r]);
            env.setProgress(0);
            env.window().setStatus(scanningStatus(shownRows_[r], shownSelf));
            env.yield();
            // The module's words are counted already: its bar fills at once.
            env.setProgress(kProgressMax);
        }
        // The rows skipped are those equal to self; the file they name may be loaded (when
        // another spelling of its name is a row too) and is then taken off again.
        std::uint32_t selfFile = kNoFile;
        std::int64_t selfRows = 0;
        for (std::size_t r = 0; r < rows_.size(); ++r) {
            if (rows_[r] != self) continue;
            selfFile = rowFile_[r];
            ++selfRows;
        }
        std::vector<std::size_t> scanned;
        for (std::size_t k = 0; k < decls.names.size(); ++k) {
            if (safe_)
                decls.others[k] += plainUses(
                    identifiers::nameKey(decls.names[k], text::activeCodePage()), selfFile,
                    selfRows);
            else if (isIndexedName(decls.names[k]))
                decls.others[k] += plainUses(decls.names[k], selfFile, selfRows);
            else
                scanned.push_back(k);
        }
        if (!scanned.empty()) scanUses(decls, scanned, self);
    }

    // Rows that name one file share it: telling it of one row tells it of all.
    void changed(std::size_t row) override {
        const std::uint32_t f = rowFile_[row];
        unload(f);
        ++files_[f].generation;
        prefetch_.cancel(f);
    }

    std::uint64_t generation(std::size_t row) const override {
        return files_[rowFile_[row]].generation;
    }

    // The rows spelt as this one are skipped; another spelling of its file would be read.
    bool countsOnlyOthers(std::size_t row) const override {
        return files_[rowFile_[row]].spelledAlike;
    }

    void finished(std::size_t row, std::optional<Bytes> content,
                  std::optional<FileWords> words) override {
        if (words) {
            merge(rowFile_[row], std::move(*words));
            return;
        }
        prefetch(rowFile_[row], rows_[row], std::move(content));
    }

  private:
    static constexpr std::uint32_t kNoFile = 0xFFFFFFFFu;

    struct CommentLine {
        std::uint32_t file, version;
        std::size_t offset, length;
    };
    struct File {
        std::int64_t rows = 0;  // rows of the table that name this file
        std::size_t firstRow = 0;
        bool spelledAlike = true;  // every such row as the first
        bool loaded = false;
        std::uint32_t version = 0;     // of what is loaded
        std::uint64_t generation = 0;  // changes the passes made to the file
        std::string commentText;       // the lines of its comment words, one after the other
        std::vector<std::pair<std::uint32_t, std::uint32_t>> codeLines;  // word id, lines
    };

    // Rows that name the same file. Windows finds files ignoring case.
    void prefetch(std::uint32_t f, const Bytes& row, std::optional<Bytes> content = std::nullopt) {
        try {
            prefetch_.request(f, files_[f].generation, ctx_.moduleFile(row), std::move(content));
        } catch (const RunError&) {
            // A row that names no file of the copy: counting reports it when it gets there.
        }
    }

    // The words of the file as it stands: made ahead on the other thread, or read now. A file
    // that cannot be read throws its error here.
    void obtain(std::uint32_t f, const Bytes& row) {
        std::optional<FileWords> words = prefetch_.take(f, files_[f].generation);
        if (!words) words = fileWords(files::readAll(ctx_.moduleFile(row)), scratch_, safe_);
        merge(f, std::move(*words));
    }

    void merge(std::uint32_t f, FileWords words) {
        File& file = files_[f];
        file.loaded = true;
        ++file.version;
        file.codeLines.clear();
        file.codeLines.reserve(words.codeWords.size());
        for (const FileWords::CodeWord& w : words.codeWords) {
            const std::uint32_t id = add(words.text(w.word));
            file.codeLines.emplace_back(id, w.lines);
            codeLines_[id] += file.rows * w.lines;
        }
        std::sort(file.codeLines.begin(), file.codeLines.end());
        // Only the lines of comment words are kept; the rest of the text goes.
        file.commentText.clear();
        std::size_t lastLine = std::string::npos, keptAt = 0;
        for (const FileWords::CommentLine& c : words.commentLines) {
            if (c.line.offset != lastLine) {
                lastLine = c.line.offset;
                keptAt = file.commentText.size();
                file.commentText += words.text(c.line);
            }
            comments_[add(words.text(c.word))].push_back({f, file.version, keptAt, c.line.length});
        }
    }

    std::uint32_t add(std::string_view word) {
        const std::uint32_t id = ids_.add(word);
        if (id >= codeLines_.size())
            codeLines_.resize(std::max<std::size_t>(id + 1, codeLines_.size() * 2), 0);
        return id;
    }

    void unload(std::uint32_t f) {
        File& file = files_[f];
        if (!file.loaded) return;
        for (const auto& [id, lines] : file.codeLines) codeLines_[id] -= file.rows * lines;
        file.loaded = false;
        file.codeLines = {};
        file.commentText = {};
    }

    std::int64_t plainUses(const Bytes& name, std::uint32_t selfFile, std::int64_t selfRows) {
        const std::uint32_t id = ids_.find(name);
        if (id == WordIds::kNone) return 0;
        std::int64_t uses = codeLines_[id];
        if (selfFile != kNoFile && files_[selfFile].loaded) {
            const auto& lines = files_[selfFile].codeLines;
            const auto it = std::lower_bound(lines.begin(), lines.end(),
                                             std::pair<std::uint32_t, std::uint32_t>(id, 0));
            if (it != lines.end() && it->first == id) uses -= selfRows * it->second;
        }
        const auto refs = comments_.find(id);
        if (refs == comments_.end()) return uses;
        for (const CommentLine& ref : refs->second) {
            const File& file = files_[ref.file];
            if (!file.loaded || file.version != ref.version) continue;
            const std::int64_t weight = file.rows - (ref.file == selfFile ? selfRows : 0);
            if (weight <= 0) continue;
            const std::string_view line =
                std::string_view(file.commentText).substr(ref.offset, ref.length);
            if (usesName(line, name)) uses += weight;
        }
        return uses;
    }

    // Names that are no identifier-like word: every line of every other row, read again (each
    // stands on disk as loaded), through the occurrence test.
    void scanUses(PublicDeclarations& decls, const std::vector<std::size_t>& scanned,
                  const Bytes& self) {
        for (std::size_t r = 0; r < rows_.size(); ++r) {
            if (rows_[r] == self) continue;
            const std::string content = files::readAll(ctx_.moduleFile(rows_[r]));
            text::LineReader reader(content);
            while (!reader.atEnd()) {
                const std::string_view line = reader.readLine();
                for (std::size_t k : scanned)
                    if (usesName(line, decls.names[k])) ++decls.others[k];
            }
        }
    }

    RunContext& ctx_;
    const bool safe_;
    const std::vector<Bytes> rows_;
    std::vector<std::string> shownRows_;
    std::vector<std::uint32_t> rowFile_;
    std::vector<File> files_;
    WordIds ids_;
    std::vector<std::int64_t> codeLines_;  // per word: code lines over all loaded files
    std::unordered_map<std::uint32_t, std::vector<CommentLine>> comments_;
    WordIds scratch_;
    WordPrefetch prefetch_;
};

}  // namespace

std::unique_ptr<OtherModules> otherModules(RunContext& ctx) {
    // When no Public declaration is judged nothing is counted, and no index is worth making.
    const std::vector<char>& left = ctx.session().publicsLeft;
    const bool noneJudged =
        !left.empty() && std::all_of(left.begin(), left.end(), [](char l) { return l != 0; });
    if (noneJudged) return std::make_unique<UncountedOtherModules>(ctx.modules());
    if (ctx.session().counting == Counting::Plain) return std::make_unique<PlainOtherModules>(ctx);
    return std::make_unique<IndexedOtherModules>(ctx);
}

}  // namespace scourvane
