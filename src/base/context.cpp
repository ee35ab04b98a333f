#include "base/context.h"

#include "base/paths.h"
#include "base/progress.h"
#include "base/run_error.h"
#include "text/convert.h"

namespace scourvane {

void RunContext::addFindings(std::vector<Finding> found) {
    for (Finding& f : found) {
        f.row = moduleRow_;
        f.project = session_.current;
        if (moduleRow_ < session_.modules.size()) f.module = session_.modules[moduleRow_];
        session_.findings.push_back(std::move(f));
    }
}

fs::path RunContext::moduleFile(const Bytes& row) const {
    return workingCopyFile(session_.intake.workingCopy, row);
}

void RunContext::yieldToWindow() {
    if (!window_.yield()) throw Closing{};
}

void RunContext::setProgress(int value) {
    if (quiet_ || value == lastProgress_) return;
    lastProgress_ = value;
    window_.setProgress(value);
}

void RunContext::showModules() {
    std::vector<std::string> rows;
    rows.reserve(session_.modules.size());
    for (const auto& m : session_.modules) rows.push_back(text::toUtf8(m));
    window_.setModules(rows);
}

}  // namespace scourvane
