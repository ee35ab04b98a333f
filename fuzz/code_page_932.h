#pragma once
// Included once by a fuzz target whose inputs are module or project text: the target works in
// code page 932, as the engine does on Linux. libFuzzer calls this before the first input.
#include "text/codepage.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    scourvane::text::setActiveCodePage(scourvane::text::CodePage::get(932));
    return 0;
}
