// make_group: writes a group of VB6 projects that share modules (group_generator.h) and prints
// the path of its group file.
//
//   make_group OUT_FOLDER [--applications N] [--shared N] [--own N] [--lines N] [--no-activex]
//              [--no-second-project] [--seed N]
//
// OUT_FOLDER must not exist yet. Exit status 0 on success, 1 when the group cannot be
// written, 2 for a usage error.
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "group_generator.h"

namespace {

int usage() {
    std::fprintf(stderr,
                 "usage: make_group OUT_FOLDER [--applications N] [--shared N] [--own N] "
                 "[--lines N] [--no-activex] [--no-second-project] [--seed N]\n");
    return 2;
}

// A whole decimal number, or false.
bool parseNumber(const std::string& text, std::size_t& value) {
    if (text.empty() || text.size() > 9 ||
        text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    value = std::stoul(text);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    scourvane::bench::GroupShape shape;
    std::string out;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--no-activex") {
            shape.activeX = false;
            continue;
        }
        if (a == "--no-second-project") {
            shape.twoProjectsInOneFolder = false;
            continue;
        }
        std::size_t* target = a == "--applications" ? &shape.applications
                              : a == "--shared"     ? &shape.sharedModules
                              : a == "--own"        ? &shape.ownModules
                              : a == "--lines"      ? &shape.linesPerModule
                                                    : nullptr;
        std::size_t number = 0;
        if (target != nullptr || a == "--seed") {
            if (i + 1 == args.size() || !parseNumber(args[i + 1], number)) return usage();
            ++i;
            if (target != nullptr)
                *target = number;
            else
                shape.seed = static_cast<unsigned>(number);
            continue;
        }
        if (a.rfind("--", 0) == 0 || !out.empty()) return usage();
        out = a;
    }
    if (out.empty()) return usage();
    try {
        const auto group = scourvane::bench::generateProjectGroup(out, shape);
        std::printf("%s\n", group.groupFile.string().c_str());
        std::fprintf(stderr, "%zu projects, %zu module lines\n", group.projects.size(),
                     group.lines);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "make_group: %s\n", e.what());
        return 1;
    }
    return 0;
}
