#pragma once
// The modules of a run of several projects, each distinct module file once: a module that
// several projects include (the same file of the user's, whatever path each project names it
// by) is one module, read and judged once, with every project and row that includes it.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "base/session.h"

namespace scourvane {

struct RunModel {
    struct Place {
        std::uint32_t project;
        std::size_t row;
    };
    struct Module {
        std::filesystem::path file;  // where the run reads it: the copy of its first project
        std::string shown;           // the row as UTF-8, for status texts
        std::vector<Place> places;   // every row of the run that names it, in run order
        // The projects that include it, ascending: those with a row for it, and those that name
        // it in an entry whose row a later entry of the same file name took.
        std::vector<std::uint32_t> projects;
        // A class module of an ActiveX project: other programs may call its Public members.
        bool activeXClass = false;
    };
    std::vector<Module> modules;
    std::vector<std::vector<std::uint32_t>> moduleOf;        // [project][row]: the module
    std::vector<std::vector<std::uint32_t>> projectModules;  // [project]: its modules, once each

    // The project that judges a module: the first that includes it.
    std::uint32_t owner(std::uint32_t module) const { return modules[module].places[0].project; }
};

// The model of the session's projects. A row is the user's module file its copy was made from
// (the last entry of its name, as the copy holds it); a row whose copy failed is its file in
// the working copy, and a row that names no file of the copy is a module of its own.
RunModel buildRunModel(const Session& session);

}  // namespace scourvane
