#pragma once
// The code page in which a project's files are written, and the rules for where a character
// begins. Module and project text stays in these bytes; nothing here decodes it.
#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace scourvane::text {

// Source text is held as the bytes of the file, in the project's code page.
using Bytes = std::string;

class CodePage {
  public:
    // The code pages we know: Windows' ANSI code pages, 932 (Shift-JIS as Windows writes it),
    // 936, 949, 950 (the other double-byte ones), and the single-byte 874 and 1250 to 1258.
    // Throws std::invalid_argument for any other number.
    static const CodePage& get(int number);
    // Every number get() takes, ascending.
    static const std::array<int, 14>& known();
    // The platform's own: the ANSI code page on Windows, 932 elsewhere.
    static const CodePage& platformDefault();

    int number() const { return number_; }
    const char* iconvName() const { return iconvName_; }
    bool isLead(unsigned char c) const { return lead_[c]; }
    bool isDoubleByte() const { return doubleByte_; }
    // Length in bytes of the character that starts at i (1 or 2; 1 at the very end).
    std::size_t charLength(std::string_view s, std::size_t i) const {
        return (lead_[static_cast<unsigned char>(s[i])] && i + 1 < s.size()) ? 2 : 1;
    }

  private:
    CodePage(int number, const char* iconvName, unsigned char leadFrom1, unsigned char leadTo1,
             unsigned char leadFrom2, unsigned char leadTo2);
    int number_;
    const char* iconvName_;
    bool doubleByte_;
    std::array<bool, 256> lead_{};
};

// The code page every text function uses unless told otherwise. Set once, before any work
// starts (the front ends do it from their options); tests may change it with ScopedCodePage.
const CodePage& activeCodePage();
void setActiveCodePage(const CodePage& cp);

class ScopedCodePage {
  public:
    explicit ScopedCodePage(int number) : saved_(&activeCodePage()) {
        setActiveCodePage(CodePage::get(number));
    }
    ~ScopedCodePage() { setActiveCodePage(*saved_); }
    ScopedCodePage(const ScopedCodePage&) = delete;
    ScopedCodePage& operator=(const ScopedCodePage&) = delete;

  private:
    const CodePage* saved_;
};

}  // namespace scourvane::text
