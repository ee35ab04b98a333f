#include "usage/run_other_modules.h"

#include <algorithm>
#include <unordered_map>

#include "base/progress.h"
#include "base/run_error.h"
#include "index/file_words.h"
#include "index/word_ids.h"
#include "index/word_prefetch.h"
#include "index/words.h"
#include "intake/file_ops.h"
#include "rules/identifiers.h"
#include "rules/occurrence.h"
#include "text/convert.h"
#include "text/lines.h"
#include "usage/public_pass.h"

namespace scourvane {

namespace {

class ModelOtherModules final : public RunOtherModules {
  public:
    ModelOtherModules(RunContext& ctx, const RunModel& model)
        : ctx_(ctx),
          model_(model),
          safe_(ctx.session().rules == RuleSet::Safe),
          indexed_(ctx.session().counting == Counting::Indexed),
          files_(model.modules.size()),
          stamp_(model.modules.size(), 0),
          prefetch_(safe_, ctx.session().intakeWords.get()) {
        if (!indexed_) return;
        for (std::uint32_t m = 0; m < files_.size(); ++m) prefetch(m);
    }

    void setProject(std::uint32_t project) override { project_ = project; }

    void count(PassEnv& env, PublicDeclarations& decls, const Bytes& self) override {
        const std::string shownSelf = text::toUtf8(self);
        const std::uint32_t selfModule = moduleOfName(self);
        const std::vector<std::uint32_t>& scope = scopeOf(selfModule);
        if (indexed_) prefetch_.help(scratch_);
        for (std::uint32_t m : scope) {
            if (m == selfModule) continue;
            const RunModel::Module& module = model_.modules[m];
            if (!indexed_) {
                const std::string content = files::readAll(fileOf(m));
                env.setProgress(0);
                env.window().setStatus(scanningStatus(module.shown, shownSelf));
                countOtherModule(env, decls, content);
                continue;
            }
            if (!files_[m].loaded) obtain(m);
            env.setProgress(0);
            env.window().setStatus(scanningStatus(module.shown, shownSelf));
            env.yield();
            env.setProgress(kProgressMax);
        }
        if (!indexed_) return;
        const bool wholeRun = scope.size() == model_.modules.size();
        std::vector<std::size_t> scanned;
        for (std::size_t k = 0; k < decls.names.size(); ++k) {
            if (!safe_ && !isIndexedName(decls.names[k])) {
                scanned.push_back(k);
                continue;
            }
            const Bytes key = safe_ ? identifiers::nameKey(decls.names[k], text::activeCodePage())
                                    : decls.names[k];
            decls.others[k] += uses(key, decls.names[k], scope, selfModule, wholeRun);
        }
        if (scanned.empty()) return;
        for (std::uint32_t m : scope) {
            if (m == selfModule) continue;
            const std::string content = files::readAll(fileOf(m));
            text::LineReader reader(content);
            while (!reader.atEnd()) {
                const std::string_view line = reader.readLine();
                for (std::size_t k : scanned)
                    if (usesName(line, decls.names[k])) ++decls.others[k];
            }
        }
    }

    void changed(std::size_t row) override {
        const std::uint32_t m = model_.moduleOf[project_][row];
        unload(m);
        ++files_[m].generation;
        if (indexed_) prefetch_.cancel(m);
    }

    std::uint64_t generation(std::size_t row) const override {
        return files_[model_.moduleOf[project_][row]].generation;
    }

    void finished(std::size_t row, std::optional<Bytes> content,
                  std::optional<FileWords>) override {
        if (indexed_) prefetch(model_.moduleOf[project_][row], std::move(content));
    }

  private:
    struct CommentLine {
        std::uint32_t file, version;
        std::size_t offset, length;
    };
    struct File {
        bool loaded = false;
        std::uint32_t version = 0;
        std::uint64_t generation = 0;
        std::string commentText;
        std::vector<std::pair<std::uint32_t, std::uint32_t>> codeLines;  // word id, lines
    };

    fs::path fileOf(std::uint32_t m) const {
        const RunModel::Module& module = model_.modules[m];
        if (module.file.empty())
            throw RunError(err::kBadFileName, "ファイル名が不正です: " + module.shown);
        return module.file;
    }

    std::uint32_t moduleOfName(const Bytes& row) const {
        const std::vector<Bytes>& rows = ctx_.modules();
        for (std::size_t r = 0; r < rows.size(); ++r)
            if (rows[r] == row) return model_.moduleOf[project_][r];
        return static_cast<std::uint32_t>(model_.modules.size());
    }

    // The modules a module's Public names are counted in, its own among them: those of every
    // project that includes it, or of the whole run.
    const std::vector<std::uint32_t>& scopeOf(std::uint32_t self) {
        if (self >= model_.modules.size()) return model_.projectModules[project_];
        const RunModel::Module& m = model_.modules[self];
        if (m.activeXClass && ctx_.session().activeXCallersInRun) return all();
        if (m.projects.size() == 1) return model_.projectModules[m.projects[0]];
        ++stampValue_;
        scope_.clear();
        for (std::uint32_t p : m.projects)
            for (std::uint32_t other : model_.projectModules[p])
                if (stamp_[other] != stampValue_) {
                    stamp_[other] = stampValue_;
                    scope_.push_back(other);
                }
        return scope_;
    }

    const std::vector<std::uint32_t>& all() {
        if (all_.size() != model_.modules.size()) {
            all_.resize(model_.modules.size());
            for (std::uint32_t m = 0; m < all_.size(); ++m) all_[m] = m;
        }
        return all_;
    }

    void prefetch(std::uint32_t m, std::optional<Bytes> content = std::nullopt) {
        if (model_.modules[m].file.empty()) return;
        prefetch_.request(m, files_[m].generation, model_.modules[m].file, std::move(content));
    }

    void obtain(std::uint32_t m) {
        std::optional<FileWords> words = prefetch_.take(m, files_[m].generation);
        if (!words) words = fileWords(files::readAll(fileOf(m)), scratch_, safe_);
        File& file = files_[m];
        file.loaded = true;
        ++file.version;
        file.codeLines.clear();
        file.codeLines.reserve(words->codeWords.size());
        for (const FileWords::CodeWord& w : words->codeWords) {
            const std::uint32_t id = add(words->text(w.word));
            file.codeLines.emplace_back(id, w.lines);
            total_[id] += w.lines;
        }
        std::sort(file.codeLines.begin(), file.codeLines.end());
        file.commentText.clear();
        std::size_t lastLine = std::string::npos, keptAt = 0;
        for (const FileWords::CommentLine& c : words->commentLines) {
            if (c.line.offset != lastLine) {
                lastLine = c.line.offset;
                keptAt = file.commentText.size();
                file.commentText += words->text(c.line);
            }
            comments_[add(words->text(c.word))].push_back({m, file.version, keptAt, c.line.length});
        }
    }

    std::uint32_t add(std::string_view word) {
        const std::uint32_t id = ids_.add(word);
        if (id >= total_.size()) total_.resize(std::max<std::size_t>(id + 1, total_.size() * 2), 0);
        return id;
    }

    void unload(std::uint32_t m) {
        File& file = files_[m];
        if (!file.loaded) return;
        for (const auto& [id, lines] : file.codeLines) total_[id] -= lines;
        file.loaded = false;
        file.codeLines = {};
        file.commentText = {};
    }

    std::int64_t linesOf(std::uint32_t m, std::uint32_t id) const {
        const auto& lines = files_[m].codeLines;
        const auto it = std::lower_bound(lines.begin(), lines.end(),
                                         std::pair<std::uint32_t, std::uint32_t>(id, 0));
        return it != lines.end() && it->first == id ? it->second : 0;
    }

    // The lines of the scope's modules but `self` that use the name whose key is `key`.
    std::int64_t uses(const Bytes& key, const Bytes& name, const std::vector<std::uint32_t>& scope,
                      std::uint32_t self, bool wholeRun) {
        const std::uint32_t id = ids_.find(key);
        if (id == WordIds::kNone) return 0;
        const bool selfLoaded = self < files_.size() && files_[self].loaded;
        std::int64_t n = 0;
        if (wholeRun) {
            n = total_[id] - (selfLoaded ? linesOf(self, id) : 0);
        } else {
            for (std::uint32_t m : scope)
                if (m != self) n += linesOf(m, id);
        }
        const auto refs = comments_.find(id);
        if (refs == comments_.end()) return n;
        ++stampValue_;
        for (std::uint32_t m : scope) stamp_[m] = stampValue_;
        for (const CommentLine& ref : refs->second) {
            const File& file = files_[ref.file];
            if (ref.file == self || stamp_[ref.file] != stampValue_ || !file.loaded ||
                file.version != ref.version)
                continue;
            const std::string_view line =
                std::string_view(file.commentText).substr(ref.offset, ref.length);
            if (usesName(line, name)) ++n;
        }
        return n;
    }

    RunContext& ctx_;
    const RunModel& model_;
    const bool safe_, indexed_;
    std::uint32_t project_ = 0;
    std::vector<File> files_;
    std::vector<std::uint32_t> stamp_, scope_, all_;
    std::uint32_t stampValue_ = 0;
    WordIds ids_, scratch_;
    std::vector<std::int64_t> total_;  // per word: code lines over all loaded modules
    std::unordered_map<std::uint32_t, std::vector<CommentLine>> comments_;
    WordPrefetch prefetch_;
};

}  // namespace

std::string scanningStatus(const std::string& shownOther, const std::string& shownSelf) {
    std::string status = "走査中...\r\n";
    status.reserve(status.size() + shownOther.size() + shownSelf.size() + 2);
    status += shownOther;
    status += "\r\n";
    status += shownSelf;
    return status;
}

std::unique_ptr<RunOtherModules> runOtherModules(RunContext& ctx, const RunModel& model) {
    return std::make_unique<ModelOtherModules>(ctx, model);
}

}  // namespace scourvane
