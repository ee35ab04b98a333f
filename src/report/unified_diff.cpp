#include "report/unified_diff.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace scourvane::report {

namespace {

using Lines = std::vector<std::string_view>;

Lines splitLines(std::string_view text) {
    Lines out;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::size_t n = end == std::string_view::npos ? text.size() : end + 1;
        out.push_back(text.substr(0, n));
        text.remove_prefix(n);
    }
    return out;
}

enum class Op : std::uint8_t { Same, Delete, Insert };

// The edit script taking a to b, shortest (Myers) while that costs little; past that, the
// changed middle is replaced whole, which is still a correct diff, only a longer one.
std::vector<Op> editScript(const Lines& a, const Lines& b) {
    std::size_t head = 0;
    while (head < a.size() && head < b.size() && a[head] == b[head]) ++head;
    std::size_t tail = 0;
    while (tail < a.size() - head && tail < b.size() - head &&
           a[a.size() - 1 - tail] == b[b.size() - 1 - tail])
        ++tail;
    const long n = static_cast<long>(a.size() - head - tail);
    const long m = static_cast<long>(b.size() - head - tail);
    auto A = [&](long i) { return a[head + static_cast<std::size_t>(i)]; };
    auto B = [&](long j) { return b[head + static_cast<std::size_t>(j)]; };

    std::vector<Op> middle;
    const long budget = 100'000'000;
    const long maxD = std::min<long>(n + m, std::max<long>(1, budget / std::max<long>(1, n + m)));
    std::vector<std::vector<long>> trace;  // V after each d, for indexes -d..d
    std::vector<long> v(2 * static_cast<std::size_t>(maxD) + 3, 0);
    const long offset = maxD + 1;
    long found = -1;
    for (long d = 0; d <= maxD && found < 0; ++d) {
        for (long k = -d; k <= d; k += 2) {
            long x = (k == -d || (k != d && v[offset + k - 1] < v[offset + k + 1]))
                         ? v[offset + k + 1]
                         : v[offset + k - 1] + 1;
            long y = x - k;
            while (x < n && y < m && A(x) == B(y)) ++x, ++y;
            v[offset + k] = x;
            if (x >= n && y >= m) found = d;
        }
        trace.emplace_back(v.begin() + (offset - d), v.begin() + (offset + d + 1));
    }
    if (found < 0) {
        middle.assign(static_cast<std::size_t>(n), Op::Delete);
        middle.insert(middle.end(), static_cast<std::size_t>(m), Op::Insert);
    } else {
        long x = n, y = m;
        for (long d = found; d > 0; --d) {
            const std::vector<long>& prev = trace[static_cast<std::size_t>(d - 1)];
            auto at = [&](long k) { return prev[static_cast<std::size_t>(k + d - 1)]; };
            const long k = x - y;
            const bool down = k == -d || (k != d && at(k - 1) < at(k + 1));
            const long prevK = down ? k + 1 : k - 1;
            const long prevX = at(prevK), prevY = prevX - prevK;
            while (x > prevX + (down ? 0 : 1) && y > prevY + (down ? 1 : 0)) {
                middle.push_back(Op::Same);
                --x, --y;
            }
            middle.push_back(down ? Op::Insert : Op::Delete);
            x = prevX, y = prevY;
        }
        while (x > 0 && y > 0) {
            middle.push_back(Op::Same);
            --x, --y;
        }
        std::reverse(middle.begin(), middle.end());
    }
    std::vector<Op> ops(head, Op::Same);
    ops.insert(ops.end(), middle.begin(), middle.end());
    ops.insert(ops.end(), tail, Op::Same);
    return ops;
}

void appendLine(std::string& out, char sign, std::string_view line) {
    out += sign;
    out += line;
    if (line.empty() || line.back() != '\n') out += "\n\\ No newline at end of file\n";
}

std::string range(std::size_t start, std::size_t count) {
    // A hunk that holds no line of a side names the line before it.
    const std::size_t first = count == 0 ? start : start + 1;
    return count == 1 ? std::to_string(first) : std::to_string(first) + "," + std::to_string(count);
}

}  // namespace

std::string diffPath(std::string_view path) {
    bool plain = true;
    for (unsigned char c : path)
        plain = plain && c > 0x20 && c < 0x7F && c != '"' && c != '\\';
    if (plain) return std::string(path);
    std::string out = "\"";
    for (unsigned char c : path) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c == '\t') {
            out += "\\t";
        } else if (c == '\n') {
            out += "\\n";
        } else if (c < 0x20 || c >= 0x7F) {
            char buf[5];
            std::snprintf(buf, sizeof buf, "\\%03o", c);
            out += buf;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

std::string fileDiff(std::string_view path, std::string_view before, std::string_view after) {
    if (before == after) return {};
    const Lines a = splitLines(before), b = splitLines(after);
    const std::vector<Op> ops = editScript(a, b);
    const std::string p(path);
    std::string out = "diff --git " + diffPath("a/" + p) + " " + diffPath("b/" + p) + "\n";
    out += "--- " + diffPath("a/" + p) + "\n+++ " + diffPath("b/" + p) + "\n";

    constexpr std::size_t kContext = 3;
    // Positions in a and b at each op.
    std::vector<std::size_t> ai(ops.size() + 1), bi(ops.size() + 1);
    for (std::size_t i = 0; i < ops.size(); ++i) {
        ai[i + 1] = ai[i] + (ops[i] != Op::Insert);
        bi[i + 1] = bi[i] + (ops[i] != Op::Delete);
    }
    std::size_t i = 0;
    while (i < ops.size()) {
        while (i < ops.size() && ops[i] == Op::Same) ++i;
        if (i == ops.size()) break;
        const std::size_t start = i > kContext ? i - kContext : 0;
        // The hunk runs on while the next change is close enough to share context.
        std::size_t end = i;
        while (end < ops.size()) {
            if (ops[end] != Op::Same) {
                ++end;
                continue;
            }
            std::size_t same = end;
            while (same < ops.size() && ops[same] == Op::Same) ++same;
            if (same == ops.size() || same - end > 2 * kContext) {
                end = std::min(ops.size(), end + kContext);
                break;
            }
            end = same;
        }
        out += "@@ -" + range(ai[start], ai[end] - ai[start]) + " +" +
               range(bi[start], bi[end] - bi[start]) + " @@\n";
        for (std::size_t k = start; k < end; ++k) {
            if (ops[k] == Op::Same) appendLine(out, ' ', a[ai[k]]);
            if (ops[k] == Op::Delete) appendLine(out, '-', a[ai[k]]);
            if (ops[k] == Op::Insert) appendLine(out, '+', b[bi[k]]);
        }
        i = end;
    }
    return out;
}

}  // namespace scourvane::report
