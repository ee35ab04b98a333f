#include "report/json.h"

#include <cstdio>

namespace scourvane::report {

namespace {

// The length of the well-formed UTF-8 sequence at s[i], or 0.
std::size_t utf8Length(std::string_view s, std::size_t i) {
    const auto b = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char c = b(i);
    std::size_t n = 0;
    unsigned char lo = 0x80, hi = 0xBF;
    if (c >= 0xC2 && c <= 0xDF) {
        n = 2;
    } else if (c >= 0xE0 && c <= 0xEF) {
        n = 3;
        if (c == 0xE0) lo = 0xA0;
        if (c == 0xED) hi = 0x9F;
    } else if (c >= 0xF0 && c <= 0xF4) {
        n = 4;
        if (c == 0xF0) lo = 0x90;
        if (c == 0xF4) hi = 0x8F;
    } else {
        return 0;
    }
    if (i + n > s.size() || b(i + 1) < lo || b(i + 1) > hi) return 0;
    for (std::size_t k = 2; k < n; ++k)
        if (b(i + k) < 0x80 || b(i + k) > 0xBF) return 0;
    return n;
}

}  // namespace

std::string jsonString(std::string_view s) {
    std::string out = "\"";
    out.reserve(s.size() + 2);
    for (std::size_t i = 0; i < s.size();) {
        const auto ch = static_cast<unsigned char>(s[i]);
        if (ch >= 0x80) {
            const std::size_t n = utf8Length(s, i);
            out += n ? s.substr(i, n) : std::string_view("\xEF\xBF\xBD");
            i += n ? n : 1;
            continue;
        }
        ++i;
        switch (ch) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (ch < 0x20) {
                    char buf[8];
                    std::snprintf(buf, sizeof buf, "\\u%04x", ch);
                    out += buf;
                } else {
                    out += static_cast<char>(ch);
                }
        }
    }
    return out + "\"";
}

std::string countersJson(const std::array<std::int32_t, kCounterCount>& values) {
    std::array<std::int64_t, kCounterCount> wide{};
    for (int i = 0; i < kCounterCount; ++i) wide[i] = values[i];
    return countersJson(wide);
}

std::string countersJson(const std::array<std::int64_t, kCounterCount>& values) {
    static constexpr const char* kKeys[kCounterCount] = {
        "dim", "unused_dim", "private", "unused_private", "public", "unused_public"};
    std::string out = "{";
    for (int i = 0; i < kCounterCount; ++i) {
        if (i) out += ",";
        out += '"';
        out += kKeys[i];
        out += "\":";
        out += std::to_string(values[i]);
    }
    return out + "}";
}

std::string runsJson(const std::vector<RunSummary>& runs) {
    std::string out = "[";
    for (std::size_t i = 0; i < runs.size(); ++i) {
        if (i) out += ",";
        out += "{\"run\":" + std::to_string(runs[i].run) +
               ",\"counters\":" + countersJson(runs[i].counters) +
               ",\"findings\":" + std::to_string(runs[i].findings) + "}";
    }
    return out + "]";
}

}  // namespace scourvane::report
