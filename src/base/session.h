#pragma once
// The state the window owns for its lifetime: the intake state, the module table, the
// object-name table of the current module and the six counters. Tables hold code-page bytes.
#include <array>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/counters.h"
#include "base/findings.h"
#include "base/keep_names.h"
#include "text/codepage.h"

namespace scourvane {

class IntakeWords;  // index/intake_words.h

namespace fs = std::filesystem;
using text::Bytes;

struct IntakeState {
    bool loaded = false;          // set by an intake that got past the choice of a file
    fs::path projectPath;         // the chosen project file
    fs::path projectFolder;       // the folder that holds it
    std::string folderName;       // its name (UTF-8); empty for a root folder
    std::string projectFileName;  // the project file's own name (UTF-8)
    fs::path workingCopy;         // projectFolder / ("New_" + folderName)
};

// How the passes count the lines that use a name: through an index of the words of the lines,
// or by putting every pair of a line and a name through the occurrence test. The plain way is
// the reference the index is proved against; both give the same bytes, counters and texts.
enum class Counting { Indexed, Plain };

// Which question decides whether a line uses a name. Safe, the default: the name stands in the
// line's code as a whole identifier, ignoring letter case, whatever its neighbours; what cannot
// be judged that way (several declarations on one line, event and default members, members
// other programs call) is never judged, so that the working copy still compiles. Spec: the
// occurrence test with its table of accepted neighbours, exactly as the passes have always
// asked it; on real code it marks names that are used, so it is only ever asked for by name.
enum class RuleSet { Spec, Safe };

// The rule set's name on command lines, in settings and in reports: "spec" or "safe".
inline const char* ruleSetName(RuleSet rules) {
    return rules == RuleSet::Safe ? "safe" : "spec";
}

// Whether a pass writes a module back, given the file's bytes before it and the pass's text. The
// specified passes always write (and meet a write error even when nothing changed); the safe
// rules leave a file the pass did not change alone: the copy holds the same bytes, without most
// of a run's writes, each of which makes a new file on disk.
inline bool writesBack(RuleSet rules, bool changed) {
    return rules == RuleSet::Spec || changed;
}
inline bool writesBack(RuleSet rules, std::string_view before, std::string_view after) {
    return writesBack(rules, before != after);
}

// One project of a run, as intake left it, and what the last run counted in its modules.
struct ProjectState {
    IntakeState intake;
    std::vector<Bytes> modules;
    std::vector<std::pair<Bytes, fs::path>> moduleSources;
    bool activeXProject = false;
    std::vector<Bytes> missingCode;
    // Under the safe rules, as the last run found them: the files of the project that can hold
    // code and that its working copy lacks (those intake could not copy, then any row's file
    // gone since). Their code may use any Public declaration of the project.
    std::vector<Bytes> missingInRun;
    // The six counters over the modules the project includes, a module shared with an earlier
    // project of the run counted here too; wide, as a run of many projects may exceed 32 bits.
    std::array<std::int64_t, kCounterCount> counters{};
};

struct Session {
    // The project in hand: during intake and the run, the one being taken in or judged; between
    // commands, the first project of the run. The fields below mirror projects[current].
    IntakeState intake;
    std::vector<Bytes> modules;  // ListModules, sorted ignoring case
    std::vector<Bytes> objects;  // ListObjects of the module being processed
    Counters counters;
    bool busy = false;  // an intake or a run is under way
    Counting counting = Counting::Indexed;
    RuleSet rules = RuleSet::Safe;
    // The project file's "Type=" names an ActiveX DLL, EXE or control (OleDll, OleExe, Control):
    // other programs call the Public members of its classes.
    bool activeXProject = false;
    std::vector<Finding> findings;  // the decisions of the last run, in the order made
    // The user's module file behind each row of the module table, as intake copied it (the
    // last entry of a name wins, as its copy does).
    std::vector<std::pair<Bytes, fs::path>> moduleSources;
    // The entries that can hold code (module rows, designers) whose user file intake could not
    // copy: a file the project names that is missing, or cannot be read.
    std::vector<Bytes> missingCode;
    // During a run under the safe rules, by row of the project in hand: the row's file is
    // missing, and no pass reads it; the Public declarations of the row's module are counted
    // but not judged, since a missing file of a project that includes it may use any of them.
    // Empty when neither holds for any row.
    std::vector<char> rowMissing;
    std::vector<char> publicsLeft;
    // Keep files given by the front end, read with the project's own keep file at every run.
    std::vector<fs::path> keepFiles;
    std::shared_ptr<const KeepNames> keeps;  // read at the start of the last run
    // The words of the module files the last intake copied, counted while it copied, until a
    // run takes them (only those of files that still hold what intake wrote are used).
    std::shared_ptr<IntakeWords> intakeWords;
    std::vector<std::string> warnings;       // of the last run: keep entries that name nothing
    // Of those, the ones for modules the last run of a project alone changed that other
    // project files name too: its patch may break them.
    std::vector<std::string> sharedModules;

    // What the user chose (a project file, a group file or a folder), and every project it
    // names, in the order they are judged. A project chosen alone is a run of one.
    fs::path chosen;
    std::vector<ProjectState> projects;
    std::size_t current = 0;
    // The user says that every program using the public classes of the run's ActiveX projects
    // is one of the run's projects: the Public members of those classes are judged, across all
    // of the run, instead of being left alone.
    bool activeXCallersInRun = false;
    // Rows of the project in hand that another project of the run, an ActiveX one, includes too.
    std::vector<Bytes> sharedWithActiveX;

    // Whether other programs may call the Public members of the class-like module in this row:
    // one of an ActiveX project (the one in hand, or another of the run that includes it too),
    // unless the user says that every such program is in the run.
    bool calledFromOutside(const Bytes& row) const {
        if (activeXCallersInRun) return false;
        if (activeXProject) return true;
        for (const Bytes& r : sharedWithActiveX)
            if (r == row) return true;
        return false;
    }
};

}  // namespace scourvane
