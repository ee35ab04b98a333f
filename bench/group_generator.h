#pragma once
// Writes a group of VB6 projects that share modules, for runs over several projects together:
// applications in apps/<Name>/ that include standard modules from a common lib/ folder, an
// ActiveX DLL in dll/Widgets/ whose public classes some applications use, and optionally a
// second project file in one application's folder sharing modules with the first. Text in
// CP932 with CR LF, and a group file (All.vbg) naming every project.
//
// The Public declarations of the shared modules cover every case a judgement over the group
// has to get right: used by every application that includes the module, by some of them, by
// exactly one of them (judged one project at a time, the others would take it for unused),
// only inside its own module (to be made Private), and by nothing at all.
#include <cstddef>
#include <filesystem>
#include <vector>

namespace scourvane::bench {

struct GroupShape {
    std::size_t applications = 3;   // EXE projects, apps/<Name>/<Name>.vbp
    std::size_t sharedModules = 4;  // standard modules in lib/, each included by several projects
    std::size_t ownModules = 3;     // modules of each application's own: its main form, then
                                    // standard modules, classes and forms in turn
    std::size_t linesPerModule = 200;  // about; startup code that uses many shared modules is
                                       // longer
    bool activeX = true;  // dll/Widgets/Widgets.vbp (Type=OleDll): public classes whose
                          // members App01, App03, ... use in part
    bool twoProjectsInOneFolder = true;  // <first app>Lite.vbp beside the first application's
                                         // project file, sharing its first standard module
    unsigned seed = 1;
};

struct GeneratedGroup {
    std::filesystem::path root;                   // the folder given
    std::filesystem::path groupFile;              // root/All.vbg, naming every project
    std::vector<std::filesystem::path> projects;  // every project file, in the group's order
    std::size_t lines = 0;                        // lines of all module files together
};

// Writes the group in `folder`, which must not exist yet. The same shape and seed give the same
// files, byte for byte.
GeneratedGroup generateProjectGroup(const std::filesystem::path& folder, const GroupShape& shape);

}  // namespace scourvane::bench
