#include "text/codepage.h"

#include <atomic>
#include <stdexcept>

#ifdef _WIN32
#include <windows.h>
#endif

namespace scourvane::text {

CodePage::CodePage(int number, const char* iconvName, unsigned char leadFrom1,
                   unsigned char leadTo1, unsigned char leadFrom2, unsigned char leadTo2)
    : number_(number), iconvName_(iconvName), doubleByte_(leadFrom1 != 0) {
    for (int c = 0; c < 256; ++c) {
        bool in1 = leadFrom1 != 0 && c >= leadFrom1 && c <= leadTo1;
        bool in2 = leadFrom2 != 0 && c >= leadFrom2 && c <= leadTo2;
        lead_[c] = in1 || in2;
    }
}

const CodePage& CodePage::get(int number) {
    static const CodePage cp932(932, "CP932", 0x81, 0x9F, 0xE0, 0xFC);
    static const CodePage cp936(936, "CP936", 0x81, 0xFE, 0, 0);
    static const CodePage cp949(949, "CP949", 0x81, 0xFE, 0, 0);
    static const CodePage cp950(950, "CP950", 0x81, 0xFE, 0, 0);
    static const CodePage cp1252(1252, "CP1252", 0, 0, 0, 0);
    // The other single-byte ANSI code pages of Windows: Thai, Central European, Cyrillic, Greek,
    // Turkish, Hebrew, Arabic, Baltic, Vietnamese.
    static const CodePage cp874(874, "CP874", 0, 0, 0, 0);
    static const CodePage cp1250(1250, "CP1250", 0, 0, 0, 0);
    static const CodePage cp1251(1251, "CP1251", 0, 0, 0, 0);
    static const CodePage cp1253(1253, "CP1253", 0, 0, 0, 0);
    static const CodePage cp1254(1254, "CP1254", 0, 0, 0, 0);
    static const CodePage cp1255(1255, "CP1255", 0, 0, 0, 0);
    static const CodePage cp1256(1256, "CP1256", 0, 0, 0, 0);
    static const CodePage cp1257(1257, "CP1257", 0, 0, 0, 0);
    static const CodePage cp1258(1258, "CP1258", 0, 0, 0, 0);
    switch (number) {
        case 874:
            return cp874;
        case 1250:
            return cp1250;
        case 1251:
            return cp1251;
        case 1253:
            return cp1253;
        case 1254:
            return cp1254;
        case 1255:
            return cp1255;
        case 1256:
            return cp1256;
        case 1257:
            return cp1257;
        case 1258:
            return cp1258;
        case 932:
            return cp932;
        case 936:
            return cp936;
        case 949:
            return cp949;
        case 950:
            return cp950;
        case 1252:
            return cp1252;
        default:
            throw std::invalid_argument("unsupported code page " + std::to_string(number));
    }
}

const std::array<int, 14>& CodePage::known() {
    static const std::array<int, 14> numbers = {874,  932,  936,  949,  950,  1250, 1251,
                                                1252, 1253, 1254, 1255, 1256, 1257, 1258};
    return numbers;
}

const CodePage& CodePage::platformDefault() {
#ifdef _WIN32
    try {
        return get(static_cast<int>(GetACP()));
    } catch (const std::invalid_argument&) {
        return get(1252);
    }
#else
    return get(932);
#endif
}

namespace {
std::atomic<const CodePage*> active{nullptr};
}

const CodePage& activeCodePage() {
    const CodePage* cp = active.load(std::memory_order_acquire);
    return cp ? *cp : CodePage::platformDefault();
}

void setActiveCodePage(const CodePage& cp) {
    active.store(&cp, std::memory_order_release);
}

}  // namespace scourvane::text
