#pragma once
// Reading a file's bytes line by line, as a text stream does: a line ends at LF or CR LF and
// the terminator is not part of it; a lone CR stays in its line. Lines read and written back
// unchanged keep every byte.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "text/find_byte.h"

namespace scourvane::text {

inline constexpr std::string_view kLineBreak = "\r\n";

class LineReader {
  public:
    explicit LineReader(std::string_view content) : content_(content) {}
    bool atEnd() const { return pos_ >= content_.size(); }
    // The next line without its terminator. Must not be called at the end.
    std::string_view readLine();
    // Bytes consumed so far, terminators included.
    std::size_t consumed() const { return pos_; }
    std::size_t size() const { return content_.size(); }

  private:
    std::string_view content_;
    std::size_t pos_ = 0;
};

inline std::string_view LineReader::readLine() {
    // Every pass reads every line: no bounds checks beyond the one search.
    const char* begin = content_.data() + pos_;
    const std::size_t left = content_.size() - pos_;
    const char* lf = findByte(begin, left, '\n');
    if (!lf) {
        pos_ = content_.size();
        return {begin, left};
    }
    std::size_t length = static_cast<std::size_t>(lf - begin);
    pos_ += length + 1;
    if (length > 0 && begin[length - 1] == '\r') --length;
    return {begin, length};
}

std::vector<std::string> splitLines(std::string_view content);

// Rows joined, each followed by CR LF; with `breakAfterLast` false the last row gets none.
std::string joinLines(const std::vector<std::string>& rows, bool breakAfterLast = true);

}  // namespace scourvane::text
