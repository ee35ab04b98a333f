#pragma once
// Intake: the working copy "New_" + the project folder's name, made inside the project
// folder, with copies of the project file, its workspace file, every module and every form's
// .frx, and the project file rewritten with bare module names. Under the safe rules also every
// user control, property page, user document and designer with its binary file, and the
// resource file, each entry rewritten the same way. The user's files are only read.
#include <filesystem>
#include <functional>
#include <string>

#include "base/context.h"
#include "base/paths.h"
#include "base/session.h"

namespace scourvane {

// The intake state for a chosen project path (made absolute first).
IntakeState splitProjectPath(const fs::path& chosen);

// The file a project entry names, relative to the project folder unless absolute. Entries use
// "\" (sometimes "/"); a component that does not exist as written is matched ignoring case, as
// Windows would. RunError 52 when the entry is no valid text of the code page.
fs::path resolveEntry(const fs::path& projectFolder, std::string_view entry);

// RunError 75 when the working copy folder is a symbolic link (or, on Windows, another kind of
// reparse point): the project's files would be written into whatever folder it points to.
void refuseLinkedWorkingCopy(const fs::path& workingCopy);

// Told of each module file intake has written into the working copy, with its content.
using CopiedModule = std::function<void(const fs::path& file, std::string content)>;

// The whole intake of the project file at `chosen`. Every step's failure shows its error box
// and the next step runs; the run button is enabled at the end.
void intake(RunContext& ctx, const fs::path& chosen, const CopiedModule& copied = {});

}  // namespace scourvane
