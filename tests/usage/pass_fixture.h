#pragma once
// A working copy in a temporary folder, a session over it and a recording window, for tests of
// the marking passes. Module text is written as UTF-8 and stored in code page 932.
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <string_view>

#include "base/context.h"
#include "base/session.h"
#include "support/files.h"
#include "support/recording_window.h"
#include "text/codepage.h"

namespace scourvane::testing {

// Lines in code page 932, each followed by CR LF (or, with breakAfterLast false, all but the
// last).
inline std::string lines(std::initializer_list<std::string_view> utf8, bool breakAfterLast = true) {
    std::string out;
    std::size_t i = 0;
    for (std::string_view l : utf8) {
        out += sjis(l);
        if (breakAfterLast || ++i < utf8.size()) out += "\r\n";
    }
    return out;
}

// The line with the unused marker in front, in code page 932.
inline std::string marked(std::string_view utf8Line) {
    return sjis("'<未使用> |") + sjis(utf8Line);
}

class PassTest : public ::testing::Test {
  protected:
    // The passes as specified, unless a test asks for the safe rules.
    PassTest() {
        session.intake.workingCopy = dir.path();
        session.rules = RuleSet::Spec;
    }

    void put(const std::string& module, const std::string& content) {
        writeFile(dir / module, content);
    }
    std::string get(const std::string& module) { return readFile(dir / module); }
    std::string label(CounterId id) const { return window.label(id); }

    text::ScopedCodePage cp{932};
    TempDir dir;
    Session session;
    RecordingWindow window;
    RunContext ctx{session, window};
};

}  // namespace scourvane::testing
