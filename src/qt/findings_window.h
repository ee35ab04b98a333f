#pragma once
// The review of the findings as Qt draws it: a resizable window of its own with the list (one
// row per finding, sortable by each column), a text and a kind to filter it by, the code of the
// selected finding in a fixed-width Japanese font with its marked lines set apart, and the keep
// and undo buttons. What each does is the presenter's.
#include <QWidget>

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTableWidget;

namespace scourvane::window {
class Presenter;
}

namespace scourvane::qt {

class FindingsWindow : public QWidget {
    Q_OBJECT
  public:
    explicit FindingsWindow(window::Presenter& presenter, QWidget* parent = nullptr);
    // Draws the presenter's list again, keeping the selection where it can.
    void reload();
    QTableWidget* table() const { return table_; }
    QPlainTextEdit* code() const { return code_; }
    QPushButton* keepButton() const { return keep_; }
    QPushButton* undoButton() const { return undo_; }
    QLineEdit* filter() const { return filter_; }

  private:
    void applyFilter();
    void showCode();
    void keepSelected();
    // The presenter's rows of the table's selected rows.
    std::vector<std::size_t> selectedRows() const;

    window::Presenter& presenter_;
    QLineEdit* filter_;
    QComboBox* kinds_;
    QTableWidget* table_;
    QPlainTextEdit* code_;
    QPushButton* keep_;
    QPushButton* undo_;
    QLabel* warnings_;
};

}  // namespace scourvane::qt
