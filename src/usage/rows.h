#pragma once
// A module's rows as the private and public passes read and mark them: views of the text they
// were read from, and apart from it the few rows a pass changed. Reading a module makes no copy
// of each row, and marking a declaration copies only its rows.
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "text/codepage.h"

namespace scourvane {

class Rows {
  public:
    Rows() = default;
    // The rows of `text` as LineReader reads them (each without its line break).
    explicit Rows(std::string_view text);
    // Rows as they are given.
    explicit Rows(const std::vector<text::Bytes>& rows);
    Rows(Rows&&) noexcept = default;
    Rows& operator=(Rows&&) noexcept = default;
    Rows(const Rows&) = delete;
    Rows& operator=(const Rows&) = delete;

    std::size_t size() const { return views_.size(); }
    bool empty() const { return views_.empty(); }
    std::string_view operator[](std::size_t i) const { return views_[i]; }
    std::string_view back() const { return views_.back(); }
    // Every row; valid until the next set().
    std::span<const std::string_view> views() const { return views_; }
    // The bytes of the text read up to the end of row r, its line break included (while no
    // row was set).
    std::size_t consumedAfter(std::size_t r) const;
    // Replaces row i.
    void set(std::size_t i, text::Bytes row);
    // The rows joined, each followed by CR LF; with `breakAfterLast` false the last gets none.
    text::Bytes joined(bool breakAfterLast = true) const;
    // Per row, whether it holds the bytes of `needle` (which holds no line break).
    std::vector<bool> holding(std::string_view needle) const;

  private:
    std::string_view text() const;
    // Where a row stands in the text read, or npos for a row set since.
    std::size_t offsetOf(std::string_view row) const;

    // Held by pointer, so that the views stay where they point when the rows move.
    std::unique_ptr<const text::Bytes> text_;
    std::vector<std::unique_ptr<const text::Bytes>> changed_;
    std::vector<std::string_view> views_;
};

}  // namespace scourvane
