#pragma once
// What the window shows, whatever toolkit draws it: the texts of its labels, the module list and
// its selection, the progress bar, which buttons are enabled, the pointer and the exit picture.
#include <array>
#include <string>
#include <vector>

#include "base/window.h"
#include "window/geometry.h"

namespace scourvane::window {

struct WindowState {
    std::string title;         // the window's title: the caption and the rule set in force
    Rgb titleColour = kWhite;  // the title text's colour on the strip: a warning under spec
    std::string status;        // LabInfo
    std::string projectLabel;  // LabModules
    std::array<std::string, kCounterCount> counters;  // in the order of CounterId
    std::vector<std::string> modules;                 // ListModules, in the engine's order
    int selected = -1;                                // the selected row; -1 for none
    int progress = 0;                                 // ProgressBar, 0 to 100
    bool runEnabled = false;                          // ComDetectUnusedDeclarations
    // A run has ended since the project was opened: a click on the status box opens the review
    // of its findings (the pointer shows a hand over it).
    bool reviewAvailable = false;
    bool waitPointer = false;  // the hourglass: the engine is busy, or the link is being opened
    bool exitPressed = false;  // ImgExit shows the pressed picture
    bool commandUnderWay = false;  // clicks on the command buttons are ignored meanwhile
};

// What changed in a WindowState, for the toolkit to draw again.
enum Change : unsigned {
    kTitle = 1u << 0,
    kStatus = 1u << 1,
    kProjectLabel = 1u << 2,
    kCounters = 1u << 3,
    kModules = 1u << 4,      // the rows, and the selection with them
    kSelection = 1u << 5,    // the selection alone
    kProgress = 1u << 6,
    kRunEnabled = 1u << 7,
    kPointer = 1u << 8,
    kExitPicture = 1u << 9,
    kEverything = (1u << 10) - 1,
};

}  // namespace scourvane::window
