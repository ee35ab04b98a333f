#pragma once
// The other modules of a run of several projects. A module's Public declarations are counted
// in the modules of every project that includes it (all of the run's, for the public classes of
// an ActiveX project when the user says their callers are all in the run), each distinct module
// file once, read from the copy of the project that judged it.
#include <cstdint>
#include <memory>

#include "usage/other_modules.h"
#include "usage/run_model.h"

namespace scourvane {

class RunOtherModules : public OtherModules {
  public:
    // Rows given to the calls are rows of this project of the model.
    virtual void setProject(std::uint32_t project) = 0;
};

// Counted the way the session asks for: with a word index of every module, read again only
// after it changed, or every line tested (the reference). `model` must outlive the result.
std::unique_ptr<RunOtherModules> runOtherModules(RunContext& ctx, const RunModel& model);

// The status shown while the public pass of `self` looks at `other`.
std::string scanningStatus(const std::string& shownOther, const std::string& shownSelf);

}  // namespace scourvane
