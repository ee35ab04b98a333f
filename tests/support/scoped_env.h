#pragma once
// An environment variable set (or, given nullopt, removed) while the object lives, and put back
// as it was afterwards.
#include <cstdlib>
#include <optional>
#include <string>

namespace scourvane::testing {

class ScopedEnv {
  public:
    ScopedEnv(const char* name, const std::optional<std::string>& value) : name_(name) {
        if (const char* was = std::getenv(name)) was_ = was;
        if (value)
            ::setenv(name, value->c_str(), 1);
        else
            ::unsetenv(name);
    }
    ~ScopedEnv() {
        if (was_)
            ::setenv(name_, was_->c_str(), 1);
        else
            ::unsetenv(name_);
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

  private:
    const char* name_;
    std::optional<std::string> was_;
};

}  // namespace scourvane::testing
