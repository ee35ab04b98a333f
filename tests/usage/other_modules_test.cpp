// The cross-module index against the plain reading of every other module: the using lines of
// each name, not only whether there are any, on hostile projects, and again after files change
// under it (a pass rewrites a module, the index is told, and reads it again or takes the text
// it was handed).
#include "usage/other_modules.h"

#include <gtest/gtest.h>

#include <random>
#include <set>

#include "base/paths.h"
#include "base/run_error.h"
#include "engine/engine.h"
#include "index/row_tokens.h"
#include "support/files.h"
#include "support/hostile_project.h"
#include "support/recording_window.h"
#include "text/codepage.h"
#include "text/lines.h"
#include "usage/public_pass.h"

namespace scourvane {
namespace {

using testing::RecordingWindow;

// The module's file, or an empty path for a row that names none.
fs::path fileOf(const fs::path& copy, const Bytes& row) {
    try {
        const fs::path file = workingCopyFile(copy, row);
        std::error_code ec;
        return fs::is_regular_file(file, ec) ? file : fs::path();
    } catch (const RunError&) {
        return {};
    }
}

// Names to ask about: runs of the project's lines between spaces, so that some hold boundary
// characters, apostrophes or lead bytes, and some are plain words.
std::vector<Bytes> namesOf(const fs::path& copy, const std::vector<Bytes>& modules,
                           std::mt19937& rng) {
    std::set<Bytes> all;
    for (const Bytes& m : modules) {
        const fs::path file = fileOf(copy, m);
        if (file.empty()) continue;
        const std::string content = testing::readFile(file);
        text::LineReader reader(content);
        while (!reader.atEnd()) {
            const std::string_view line = reader.readLine();
            for (std::size_t start = 0; start < line.size();) {
                const std::size_t end = std::min(line.find(' ', start), line.size());
                if (end > start) all.emplace(line.substr(start, end - start));
                start = end + 1;
            }
        }
    }
    std::vector<Bytes> names(all.begin(), all.end());
    std::shuffle(names.begin(), names.end(), rng);
    if (names.size() > 60) names.resize(60);
    return names;
}

struct Counted {
    std::vector<std::int64_t> others;
    std::string error;  // the error box text, when reading a module failed
    std::vector<std::string> statuses;
};

Counted countWith(OtherModules& others, RunContext& ctx, RecordingWindow& window, const Bytes& self,
                  const std::vector<Bytes>& names) {
    PublicDeclarations decls;
    decls.names = names;
    decls.others.assign(names.size(), 0);
    Counted c;
    window.events.clear();
    try {
        PassEnv env(ctx, self);
        others.count(env, decls, self);
    } catch (const RunError& e) {
        c.error = e.boxText();
    }
    c.others = decls.others;
    c.statuses = window.statuses();
    return c;
}

TEST(OtherModules, IndexCountsEveryUsingLineAsThePlainReadingDoes) {
    text::ScopedCodePage cp(932);
    for (std::uint32_t seed = 1; seed <= 40; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        testing::TempDir dir;
        const auto project = testing::generateHostileProject(dir / "Proj", seed);
        RecordingWindow intakeWindow;
        Engine engine(intakeWindow);
        ASSERT_TRUE(engine.intake(project.projectFile));

        Session session = engine.session();
        RecordingWindow window;
        RunContext ctx(session, window);
        session.counting = Counting::Plain;
        const auto plain = otherModules(ctx);
        session.counting = Counting::Indexed;
        const auto indexed = otherModules(ctx);
        std::mt19937 rng(seed);
        const fs::path copy = session.intake.workingCopy;

        for (int round = 0; round < 3; ++round) {
            const std::vector<Bytes> names = namesOf(copy, session.modules, rng);
            for (const Bytes& self : session.modules) {
                const Counted a = countWith(*plain, ctx, window, self, names);
                const Counted b = countWith(*indexed, ctx, window, self, names);
                ASSERT_EQ(b.error, a.error);
                ASSERT_EQ(b.statuses, a.statuses);
                if (!a.error.empty()) continue;
                for (std::size_t k = 0; k < names.size(); ++k)
                    ASSERT_EQ(b.others[k], a.others[k]) << "[" << names[k] << "] self " << self;
            }
            // A pass rewrites one module: lines dropped, marked and added with other words.
            if (session.modules.empty()) break;
            const std::size_t index = rng() % session.modules.size();
            const fs::path file = fileOf(copy, session.modules[index]);
            if (file.empty()) continue;
            const std::string before = testing::readFile(file);
            std::vector<std::string> lines = text::splitLines(before);
            if (!lines.empty())
                lines.erase(lines.begin() + static_cast<long>(rng() % lines.size()));
            for (auto& line : lines)
                if (rng() % 4 == 0) line = testing::sjis("'<未使用> |") + line;
            if (!names.empty()) lines.push_back("x = " + names[rng() % names.size()] + " + 1");
            const std::string content = text::joinLines(lines);
            testing::writeFile(file, content);
            indexed->changed(index);
            if (rng() % 2 != 0) continue;
            // Or the words counted from the rows as the passes left them, tokenised before
            // they changed, as a module prepared ahead hands them over.
            std::optional<FileWords> words;
            if (session.rules == RuleSet::Safe && rng() % 2 == 0)
                words = RowTokens(before).fileWords(content);
            indexed->finished(index, content, std::move(words));
        }
    }
}

}  // namespace
}  // namespace scourvane
