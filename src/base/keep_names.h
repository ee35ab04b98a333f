#pragma once
// The names the user keeps through keep files: never judged, whatever uses them. Each entry
// remembers where it was written and whether any declaration of the project matched it, so
// that a name the project does not declare can be reported. Passes of several modules may run
// at once, so the matches are noted under a lock.
#include <cstddef>
#include <mutex>
#include <string>
#include <vector>

#include "text/codepage.h"

namespace scourvane {

using text::Bytes;

struct KeepName {
    Bytes module;       // the module part of "Module.Name", code page bytes; empty for any module
    Bytes name;         // code page bytes
    std::string where;  // "file:line", UTF-8
    std::string entry;  // the entry as written, UTF-8
};

struct KeepNames {
    std::vector<KeepName> names;

    void noteMatch(std::size_t i) const {
        std::lock_guard<std::mutex> lock(mutex_);
        if (matched_.size() < names.size()) matched_.resize(names.size(), false);
        matched_[i] = true;
    }
    bool matched(std::size_t i) const {
        std::lock_guard<std::mutex> lock(mutex_);
        return i < matched_.size() && matched_[i];
    }

  private:
    mutable std::mutex mutex_;
    mutable std::vector<bool> matched_;
};

}  // namespace scourvane
