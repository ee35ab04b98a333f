#pragma once
// The using lines of the other modules, which the public pass of each module counts: every row
// of the module table but the module's own, each file as it stands at that moment (the modules
// before it carry all their passes, the later ones are as intake copied them).
#include <cstdint>
#include <memory>
#include <optional>

#include "base/context.h"
#include "index/file_words.h"
#include "usage/pass_env.h"

namespace scourvane {

struct PublicDeclarations;

class OtherModules {
  public:
    virtual ~OtherModules() = default;
    // Adds to decls.others, for each name, the lines of every row but `self` that use it. The
    // rows are read in table order; one that cannot be read throws its error there, after the
    // status "走査中..." of each row before it has been shown.
    virtual void count(PassEnv& env, PublicDeclarations& decls, const Bytes& self) = 0;
    // The file of the row in the table has been written, or may have been.
    virtual void changed(std::size_t row) = 0;
    // The passes of the row in the table are done for this run: its file now stands as the
    // later modules will see it; `content`, when given, is what it holds, and `words`, when
    // given, are the words of that content as the index counts them.
    virtual void finished(std::size_t row, std::optional<Bytes> content,
                          std::optional<FileWords> words) = 0;
    // How often the file of the row in the table has been changed so far in this run.
    virtual std::uint64_t generation(std::size_t row) const = 0;
    // Whether the count for the row reads no file its own passes write: then it may be made
    // before they have written it. Not unless the way of counting knows.
    virtual bool countsOnlyOthers(std::size_t /*row*/) const { return false; }
};

// The way the session asks for: every file read again and every pair of a line and a name
// tested (the reference), or a word index of every file, read again only after it changed.
std::unique_ptr<OtherModules> otherModules(RunContext& ctx);

}  // namespace scourvane
