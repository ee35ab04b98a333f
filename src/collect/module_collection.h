#pragma once
// Module collection: the first pass of every module. Normalises the module's file in the
// working copy and records the module's object names in the session's object table.
//
// After it, the code holds no continued lines, module-level Dim variables read as Private, a
// declaration of several names stands as one statement per name wherever that split gives
// valid statements, and every line ends with CR LF. The file header is
// kept as read (but for one trailing space a block opening line may lose).
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

#include "base/context.h"

namespace scourvane {

void collectModule(RunContext& ctx, const Bytes& name);

// Called after every logical line with the bytes read so far, terminators included.
using LineProgress = std::function<void(std::size_t consumed)>;

// A row of the new content that repeats no row of the old one as it stands.
constexpr std::uint32_t kNoSourceRow = 0xFFFFFFFFu;

// The new content of a module file whose bytes are `content`. Appends the object names found
// to `objects` (which the caller has started with the module's kind word). With `sourceRows`,
// gives for each row of the new content the row of `content` it repeats byte for byte, or
// kNoSourceRow (a joined, split or rewritten line).
Bytes collectModuleText(std::string_view content, std::vector<Bytes>& objects,
                        const LineProgress& afterLine = {},
                        std::vector<std::uint32_t>* sourceRows = nullptr);

// Clears the object table and adds the kind word of the module: "Class" or "Form"; under the
// safe rules also "UserControl", "PropertyPage" or "UserDocument" for a .ctl, .pag or .dob,
// whose event procedures are named after that word (UserControl_Resize) and not after the
// object. The two-argument form is the default rules'.
void startObjectTable(std::vector<Bytes>& objects, std::string_view moduleName);
void startObjectTable(std::vector<Bytes>& objects, std::string_view moduleName, RuleSet rules);

// True for a line that opens a procedure at the first column: optionally "Private ", "Public "
// or "Friend ", optionally "Static ", then "Sub ", "Function " or "Property ".
bool isProcedureHeader(std::string_view line);

}  // namespace scourvane
