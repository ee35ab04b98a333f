#include "usage/rows.h"

#include "text/lines.h"
#include "text/search.h"

namespace scourvane {

Rows::Rows(std::string_view text) : text_(std::make_unique<const text::Bytes>(text)) {
    text::LineReader reader(*text_);
    while (!reader.atEnd()) views_.push_back(reader.readLine());
}

Rows::Rows(const std::vector<text::Bytes>& rows) {
    views_.reserve(rows.size());
    for (const text::Bytes& row : rows) set(views_.size(), row);
}

std::size_t Rows::consumedAfter(std::size_t r) const {
    if (!text_) return 0;
    return r + 1 < views_.size() ? static_cast<std::size_t>(views_[r + 1].data() - text_->data())
                                 : text_->size();
}

void Rows::set(std::size_t i, text::Bytes row) {
    changed_.push_back(std::make_unique<const text::Bytes>(std::move(row)));
    if (i == views_.size())
        views_.push_back(*changed_.back());
    else
        views_[i] = *changed_.back();
}

text::Bytes Rows::joined(bool breakAfterLast) const {
    std::size_t size = 0;
    for (std::string_view r : views_) size += r.size() + text::kLineBreak.size();
    text::Bytes out;
    out.reserve(size);
    // Rows that follow one another in the text read, each with a CR LF behind it there, are
    // copied as one run.
    const std::string_view text = this->text();
    const char* runStart = nullptr;
    const char* runEnd = nullptr;
    for (std::string_view row : views_) {
        const std::size_t at = offsetOf(row);
        if (at != text::npos &&
            text.substr(at + row.size(), text::kLineBreak.size()) == text::kLineBreak) {
            if (runStart && row.data() == runEnd) {
                runEnd += row.size() + text::kLineBreak.size();
                continue;
            }
            if (runStart) out.append(runStart, runEnd);
            runStart = row.data();
            runEnd = runStart + row.size() + text::kLineBreak.size();
            continue;
        }
        if (runStart) out.append(runStart, runEnd);
        runStart = nullptr;
        out += row;
        out += text::kLineBreak;
    }
    if (runStart) out.append(runStart, runEnd);
    if (!breakAfterLast && !views_.empty()) out.resize(out.size() - text::kLineBreak.size());
    return out;
}

std::vector<bool> Rows::holding(std::string_view needle) const {
    std::vector<bool> out(views_.size(), false);
    text::ForwardSearch search(text(), needle);
    for (std::size_t r = 0; r < views_.size(); ++r) out[r] = search.holds(views_[r]);
    return out;
}

std::string_view Rows::text() const {
    return text_ ? std::string_view(*text_) : std::string_view();
}

std::size_t Rows::offsetOf(std::string_view row) const {
    return text::offsetWithin(text(), row);
}

}  // namespace scourvane
