#pragma once
// The engine as the front ends see it: the session state, and the two commands of the window,
// intake and the detection run. A command asked for while one is under way is ignored.
#include <filesystem>
#include <vector>

#include "base/session.h"
#include "base/window.h"

namespace scourvane {

class Engine {
  public:
    explicit Engine(Window& window);

    // Intake of the chosen project file. Returns false when it was refused because a command
    // is under way or the program is closing.
    bool intake(const std::filesystem::path& projectPath);
    // The detection run over the module table.
    bool run();

    const Session& session() const { return session_; }
    void setCounting(Counting counting) { session_.counting = counting; }
    void setRules(RuleSet rules) { session_.rules = rules; }
    // Every program that uses the public classes of the run's ActiveX projects is in the run.
    void setActiveXCallersInRun(bool inRun) { session_.activeXCallersInRun = inRun; }
    // Keep files read at every run, after the project's own scourvane-keep.txt.
    void setKeepFiles(std::vector<std::filesystem::path> files) {
        session_.keepFiles = std::move(files);
    }
    bool busy() const { return session_.busy; }

  private:
    template <class Command>
    bool exclusive(Command&& command);

    Session session_;
    Window& window_;
};

}  // namespace scourvane
