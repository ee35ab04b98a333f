#pragma once
// A table printed in Markdown, columns padded so that it also reads well in a terminal, and the
// number formats the benchmarks share.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace scourvane::bench {

class MarkdownTable {
  public:
    // The first `textColumns` columns are left-aligned, the others (numbers) right-aligned.
    explicit MarkdownTable(std::vector<std::string> header, std::size_t textColumns = 1)
        : header_(std::move(header)), textColumns_(textColumns) {}

    void add(std::vector<std::string> row) {
        row.resize(header_.size());
        rows_.push_back(std::move(row));
    }

    void print(std::FILE* out = stdout) const {
        std::vector<std::size_t> widths;
        for (const std::string& h : header_) widths.push_back(std::max<std::size_t>(h.size(), 3));
        for (const auto& row : rows_)
            for (std::size_t c = 0; c < row.size(); ++c)
                widths[c] = std::max(widths[c], row[c].size());
        printRow(out, header_, widths);
        std::string rule = "|";
        for (std::size_t c = 0; c < widths.size(); ++c) {
            const bool right = c >= textColumns_;
            rule.append(right ? " " : " :");
            rule.append(widths[c] - 1, '-');
            rule.append(right ? ": |" : " |");
        }
        std::fprintf(out, "%s\n", rule.c_str());
        for (const auto& row : rows_) printRow(out, row, widths);
    }

  private:
    void printRow(std::FILE* out, const std::vector<std::string>& row,
                  const std::vector<std::size_t>& widths) const {
        std::string line = "|";
        for (std::size_t c = 0; c < row.size(); ++c) {
            const std::size_t pad = widths[c] - row[c].size();
            line.push_back(' ');
            if (c >= textColumns_) line.append(pad, ' ');
            line.append(row[c]);
            if (c < textColumns_) line.append(pad, ' ');
            line.append(" |");
        }
        std::fprintf(out, "%s\n", line.c_str());
    }

    std::vector<std::string> header_;
    std::size_t textColumns_;
    std::vector<std::vector<std::string>> rows_;
};

// 1234567 -> "1,234,567".
inline std::string grouped(unsigned long long n) {
    const std::string digits = std::to_string(n);
    std::string out;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) out.push_back(',');
        out.push_back(digits[i]);
    }
    return out;
}

inline std::string fixed(double value, int decimals) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
    return buffer;
}

inline std::string mib(double bytes) {
    return fixed(bytes / (1024.0 * 1024.0), 1);
}

}  // namespace scourvane::bench
